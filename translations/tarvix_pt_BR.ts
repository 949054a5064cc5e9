<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>Logs avançados</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>Informações de apps instalados</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>Erro ao compartilhar os logs.</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>Verifique se você tem acesso à internet.</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>Envio cancelado.</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>Você pode</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>ver os logs</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>e enviá-los para nós em</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>revisar o que é enviado</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>Enviar automaticamente quando possível</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>O Tarvix enviará o relatório quando puder.</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>relatórios</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>A descrição é obrigatória</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>Endereço de e-mail inválido</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>voltar à lista</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Pesquisar</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>Localizar próxima</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>Apenas os primeiros %1 deste arquivo são exibidos.</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>Não encontrado.</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane. Todos os direitos reservados.</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo e Glance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>Ferramenta de solução de problemas do Scrivo</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>ver logs</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>revisar o que é enviado</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>relatórios</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>relatórios</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>LTR</translation>
    </message>
</context>
<context>
    <name>ReportSentNotice</name>
    <message>
        <source>Report sent</source>
        <translation>Relatório enviado</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>O relatório guardado para envio posterior foi enviado. ID do log: %1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>Relatórios</translation>
    </message>
    <message>
        <source>close</source>
        <translation>fechar</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>Nenhum relatório ainda.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>Enviado. ID do log: %1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>Aguardando envio. Próxima tentativa: %1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>Desistido: não enviado em 7 dias.</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>copiar</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>enviar agora</translation>
    </message>
    <message>
        <source>discard</source>
        <translation>descartar</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>left out: compressed, names cannot be hidden in it</source>
        <translation>excluído: compactado, os nomes não podem ser ocultados nele</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>O que é enviado</translation>
    </message>
    <message>
        <source>close</source>
        <translation>fechar</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>Os logs já foram empacotados. Estas escolhas não podem mais ser alteradas.</translation>
    </message>
    <message>
        <source>open</source>
        <translation>abrir</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>abrir %1</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>Listando os arquivos…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>Arquivos enviados: %1 (%2)</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>Arquivo compactado de cerca de %1 do limite de %2 (estimado compactando uma amostra de cada tipo de arquivo).</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>Envie pelo menos um arquivo: só a descrição não ajuda o suporte.</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>Não foi possível listar os arquivos.</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>Não foi possível abrir o arquivo.</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>Ocultar meu nome e computador</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>A lista de substituições fica neste computador: %1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>Ocultar também estas palavras</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>o nome de um cliente ou de um projeto, separados por vírgulas</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>Substituídos em cada arquivo enviado e na sua descrição: seu login; seu nome real como os arquivos o escrevem (Nome.Sobrenome, Sobrenome, Nome, em qualquer caixa); sua pasta pessoal; os nomes deste computador e seus endereços de rede (hardware e IP); endereços de e-mail que não sejam o seu; as palavras que você adicionar (nomes de uma ou duas letras somente como palavras inteiras). O arquivo compactado é verificado antes de sair: um arquivo em que algum ainda for encontrado fica neste computador. O registro de comentários contém um identificador de máquina que não leva até você.</translation>
    </message>
</context>
<context>
    <name>SentPanel</name>
    <message>
        <source>Sent</source>
        <translation>Enviado</translation>
    </message>
    <message>
        <source>The log files were sent successfully.</source>
        <translation>Os arquivos de log foram enviados.</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>Use este ID do log como referência:</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>copiar</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>BASIC LOGS
• Scrivo configuration, settings and logs
• System configuration and settings</source>
        <translation>LOGS BÁSICOS
• Configuração, ajustes e logs do Scrivo
• Configuração e ajustes do sistema</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>LOGS BÁSICOS                                LOGS AVANÇADOS
• Configuração e logs do Scrivo      • Despejo completo do Scrivo
• Configuração do sistema</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>LOGS BÁSICOS                                LOGS AVANÇADOS
• Configuração e logs do Scrivo      • Despejo completo do Scrivo
• Configuração do sistema                • Versões dos apps instalados</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>Iniciar monitoramento</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>Parar monitoramento</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>Compartilhar logs</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>Parar envio</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>O Tarvix precisa coletar as seguintes informações para resolver o problema</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>Conte o que levou ao erro</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>A Norvane pode me contatar sobre correções neste endereço de e-mail</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>Repita os passos que levaram ao problema e depois selecione “Parar monitoramento”</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>Capturando o despejo de dados do Scrivo.</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>Capturando configurações do sistema.</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>Capturando configurações e logs do Scrivo.</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>Registro concluído.</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>Compactando os logs.</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>Nenhuma instalação do Scrivo detectada</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>O Scrivo não está instalado neste dispositivo. Instale o Scrivo e depois inicie a solução de problemas.</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>Várias instâncias do Scrivo detectadas</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>Antes de executar o Tarvix, deixe aberto apenas o app Scrivo que apresenta o problema.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>O Tarvix está coletando os logs do Scrivo.</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>O log detalhado do Scrivo continua ativo até o monitoramento ser parado.</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>O Tarvix está enviando os logs para a equipe de suporte.</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>O Tarvix está ativando o log detalhado do Scrivo.</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>Enviando %1%</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>O Tarvix enviará os relatórios guardados para depois quando puder.</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>Ainda há um nome oculto em %1, por isso ele fica de fora. Revise o que será enviado e compartilhe novamente.</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>O Tarvix ainda está em execução</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>Abra o Tarvix novamente para trazer a janela de volta.</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>Mostrar Tarvix</translation>
    </message>
</context>
</TS>
