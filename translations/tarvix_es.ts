<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>Registros avanzados</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>Información de apps instaladas</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>Error al compartir los registros.</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>Comprueba que tienes conexión a Internet.</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>Subida cancelada.</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>Puedes</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>ver los registros</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>y enviárnoslos a</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>revisar lo que se envía</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>Enviar automáticamente cuando sea posible</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>Tarvix enviará el informe cuando pueda.</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>informes</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>La descripción es obligatoria</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>Dirección de correo no válida</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>volver a la lista</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>Buscar siguiente</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>Solo se muestran los primeros %1 de este archivo.</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>No se encontró.</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane. Todos los derechos reservados.</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo y Glance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>Herramienta de solución de problemas de Scrivo</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>ver registros</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>revisar lo que se envía</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>informes</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>informes</translation>
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
        <translation>Informe enviado</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>Se envió el informe guardado para enviarlo más tarde. ID de registro: %1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>Informes</translation>
    </message>
    <message>
        <source>close</source>
        <translation>cerrar</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>Aún no hay informes.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>Enviado. ID de registro: %1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>Pendiente de envío. Próximo intento: %1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>Abandonado: no se envió en 7 días.</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>copiar</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>enviar ahora</translation>
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
        <translation>excluido: comprimido, no se pueden ocultar nombres en él</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>Lo que se envía</translation>
    </message>
    <message>
        <source>close</source>
        <translation>cerrar</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>Los registros ya están empaquetados. Estas opciones ya no se pueden cambiar.</translation>
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
        <translation>Listando los archivos…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>Archivos enviados: %1 (%2)</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>Archivo comprimido de unos %1 de un máximo de %2 (estimado comprimiendo una muestra de cada tipo de archivo).</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>Hay que enviar al menos un archivo: la descripción sola no ayuda al soporte.</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>No se pudieron listar los archivos.</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>No se pudo abrir el archivo.</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>Ocultar mi nombre y mi equipo</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>La lista de sustituciones se queda en este equipo: %1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>Ocultar también estas palabras</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>el nombre de un cliente o de un proyecto, separados por comas</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>Se reemplaza en cada archivo enviado y en su descripción: su nombre de usuario; su nombre real tal como lo escriben los archivos (Nombre.Apellido, Apellido, Nombre, en cualquier caso); su carpeta personal; los nombres de este equipo y sus direcciones de red (hardware e IP); las direcciones de correo distintas de la suya; las palabras que añada (los nombres de una o dos letras solo como palabras completas). El archivo comprimido se comprueba antes de salir: un archivo en el que aún se encuentre alguno se queda en este equipo. El registro de comentarios contiene un identificador de equipo que no permite llegar hasta usted.</translation>
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
        <translation>Los archivos de registro se enviaron correctamente.</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>Usa este ID de registro como referencia:</translation>
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
        <translation>REGISTROS BÁSICOS
• Configuración, ajustes y registros de Scrivo
• Configuración y ajustes del sistema</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>REGISTROS BÁSICOS                               REGISTROS AVANZADOS
• Configuración y registros de Scrivo      • Volcado completo de Scrivo
• Configuración del sistema</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>REGISTROS BÁSICOS                               REGISTROS AVANZADOS
• Configuración y registros de Scrivo      • Volcado completo de Scrivo
• Configuración del sistema                       • Versiones de apps instaladas</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>Iniciar supervisión</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>Detener supervisión</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>Compartir registros</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>Detener subida</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>Tarvix necesita recopilar la siguiente información para resolver el problema</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>Cuéntanos qué provocó el error</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>Norvane puede contactarme sobre soluciones en este correo electrónico</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>Repite los pasos que causaron el problema y después selecciona «Detener supervisión»</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>Capturando volcado de datos de Scrivo.</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>Capturando configuración y ajustes del sistema.</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>Capturando ajustes y registros de Scrivo.</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>Registro completado.</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>Comprimiendo registros.</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>No se detectó ninguna instalación de Scrivo</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>Scrivo no está instalado en este dispositivo. Instala Scrivo y luego inicia la solución de problemas.</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>Se detectaron varias instancias de Scrivo</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>Antes de ejecutar Tarvix, deja abierta solo la app de Scrivo que tiene el problema.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>Tarvix está recopilando los registros de Scrivo.</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>El registro detallado de Scrivo seguirá activado hasta que se detenga la supervisión.</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>Tarvix está enviando los registros al equipo de soporte.</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>Tarvix está activando el registro detallado de Scrivo.</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>Subiendo %1 %</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>Tarvix enviará los informes guardados para más tarde cuando pueda.</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>Todavía hay un nombre oculto en %1, así que se deja fuera. Revise lo que se envía y vuelva a compartir.</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>Tarvix sigue en ejecución</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>Abre Tarvix de nuevo para recuperar su ventana.</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>Mostrar Tarvix</translation>
    </message>
</context>
</TS>
