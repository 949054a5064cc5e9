<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>Journaux avancés</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>Informations sur les applications installées</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>Erreur lors du partage des journaux.</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>Vérifiez que vous avez accès à Internet.</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>Envoi annulé.</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>Vous pouvez</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>afficher les journaux</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>et nous les envoyer à</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>vérifier ce qui est envoyé</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>Envoyer automatiquement dès que possible</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>Tarvix enverra le rapport dès que possible.</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>rapports</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>La description est obligatoire</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>Adresse e-mail non valide</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>retour à la liste</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>Seuls les premiers %1 de ce fichier sont affichés.</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>Introuvable.</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane. Tous droits réservés.</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo et Glance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>Outil de dépannage de Scrivo</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>afficher les journaux</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>vérifier ce qui est envoyé</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>rapports</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>rapports</translation>
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
        <translation>Rapport envoyé</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>Le rapport gardé pour un envoi ultérieur a été envoyé. ID du journal : %1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>Rapports</translation>
    </message>
    <message>
        <source>close</source>
        <translation>fermer</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>Aucun rapport pour l’instant.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>Envoyé. ID du journal : %1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>En attente d’envoi. Prochain essai : %1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>Abandonné : non envoyé en 7 jours.</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>copier</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>envoyer maintenant</translation>
    </message>
    <message>
        <source>discard</source>
        <translation>supprimer</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>left out: compressed, names cannot be hidden in it</source>
        <translation>exclu : compressé, les noms ne peuvent pas y être masqués</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>Ce qui est envoyé</translation>
    </message>
    <message>
        <source>close</source>
        <translation>fermer</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>Les journaux sont empaquetés. Ces choix ne peuvent plus être modifiés.</translation>
    </message>
    <message>
        <source>open</source>
        <translation>ouvrir</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>ouvrir %1</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>Liste des fichiers en cours…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>Fichiers envoyés : %1 (%2)</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>Archive d’environ %1 sur %2 autorisés (estimation par compression d’un échantillon de chaque type de fichier).</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>Au moins un fichier doit être envoyé : la description seule n’aide pas l’assistance.</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>Impossible de lister les fichiers.</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>Impossible d’ouvrir le fichier.</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>Masquer mon nom et mon ordinateur</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>La liste des remplacements reste sur cet ordinateur : %1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>Masquer aussi ces mots</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>le nom d&apos;un client ou d&apos;un projet, séparés par des virgules</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>Remplacés dans chaque fichier envoyé et dans votre description : votre identifiant ; votre nom réel tel que les fichiers l&apos;écrivent (Prénom.Nom, Nom, Prénom, toute casse) ; votre dossier personnel ; les noms de cet ordinateur et ses adresses réseau (matérielles et IP) ; les adresses e-mail autres que la vôtre ; les mots que vous ajoutez (les noms d&apos;une ou deux lettres seulement comme mots entiers). L&apos;archive est vérifiée avant de partir : un fichier où l&apos;un d&apos;eux est encore trouvé reste sur cet ordinateur. L&apos;enregistrement de commentaires contient un identifiant de machine qui ne permet pas de remonter jusqu&apos;à vous.</translation>
    </message>
</context>
<context>
    <name>SentPanel</name>
    <message>
        <source>Sent</source>
        <translation>Envoyé</translation>
    </message>
    <message>
        <source>The log files were sent successfully.</source>
        <translation>Les fichiers journaux ont bien été envoyés.</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>Votre ID de journal, à rappeler au support :</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>copier</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>BASIC LOGS
• Scrivo configuration, settings and logs
• System configuration and settings</source>
        <translation>JOURNAUX DE BASE
• Configuration, réglages et journaux de Scrivo
• Configuration et réglages du système</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>JOURNAUX DE BASE                                   JOURNAUX AVANCÉS
• Configuration et journaux de Scrivo      • Image mémoire complète de Scrivo
• Configuration du système</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>JOURNAUX DE BASE                                   JOURNAUX AVANCÉS
• Configuration et journaux de Scrivo      • Image mémoire complète de Scrivo
• Configuration du système                        • Versions des apps installées</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>Démarrer la surveillance</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>Arrêter la surveillance</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>Partager les journaux</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>Arrêter l’envoi</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>Tarvix doit recueillir les informations suivantes pour résoudre le problème</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>Décrivez ce qui a provoqué l’erreur</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>Norvane peut me contacter au sujet des correctifs à l’adresse e-mail suivante</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>Reproduisez les étapes qui ont mené au problème, puis choisissez « Arrêter la surveillance »</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>Capture de l’image mémoire de Scrivo.</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>Capture de la configuration et des réglages du système.</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>Capture des réglages et des journaux de Scrivo.</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>Journalisation terminée.</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>Compression des journaux.</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>Aucune installation de Scrivo détectée</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>Scrivo n’est pas installé sur cet appareil. Installez Scrivo, puis lancez le dépannage.</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>Plusieurs instances de Scrivo détectées</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>Avant de lancer Tarvix, laissez ouverte une seule app Scrivo : celle qui pose problème.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>Tarvix recueille les journaux de Scrivo.</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>La journalisation détaillée de Scrivo reste active jusqu’à l’arrêt de la surveillance.</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>Tarvix envoie les journaux à l’équipe d’assistance.</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>Tarvix active la journalisation détaillée de Scrivo.</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>Envoi : %1 %</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>Tarvix enverra les rapports gardés pour plus tard dès que possible.</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>Un nom masqué figure encore dans %1 : il est laissé de côté. Vérifiez ce qui est envoyé, puis partagez à nouveau.</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>Tarvix est toujours en cours d’exécution</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>Relancez Tarvix pour rouvrir sa fenêtre.</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>Afficher Tarvix</translation>
    </message>
</context>
</TS>
