<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>Erweiterte Protokolle</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>Informationen zu installierten Apps</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>Fehler beim Teilen der Protokolle.</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>Bitte prüfen Sie Ihre Internetverbindung.</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>Hochladen abgebrochen.</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>Sie können</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>die Protokolle ansehen</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>und sie uns senden an</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>prüfen, was gesendet wird</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>Automatisch senden, sobald möglich</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>Tarvix sendet den Bericht, sobald es kann.</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>Berichte</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>Beschreibung erforderlich</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>Ungültige E-Mail-Adresse</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>zurück zur Liste</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>Weitersuchen</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>Nur die ersten %1 dieser Datei werden angezeigt.</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>Nicht gefunden.</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane. Alle Rechte vorbehalten.</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo und Glance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>Scrivo-Fehlerbehebung</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>Protokolle ansehen</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>prüfen, was gesendet wird</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>Berichte</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>Berichte</translation>
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
        <translation>Bericht gesendet</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>Der zum späteren Senden aufbewahrte Bericht wurde gesendet. Log-ID: %1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>Berichte</translation>
    </message>
    <message>
        <source>close</source>
        <translation>schließen</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>Noch keine Berichte.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>Gesendet. Log-ID: %1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>Wartet auf das Senden. Nächster Versuch: %1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>Aufgegeben: innerhalb von 7 Tagen nicht gesendet.</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>kopieren</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>jetzt senden</translation>
    </message>
    <message>
        <source>discard</source>
        <translation>verwerfen</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>left out: compressed, names cannot be hidden in it</source>
        <translation>ausgelassen: komprimiert, Namen können darin nicht verborgen werden</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>Was gesendet wird</translation>
    </message>
    <message>
        <source>close</source>
        <translation>schließen</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>Die Protokolle sind verpackt. Diese Auswahl lässt sich nicht mehr ändern.</translation>
    </message>
    <message>
        <source>open</source>
        <translation>öffnen</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>%1 öffnen</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>Dateien werden aufgelistet…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>Gesendete Dateien: %1 (%2)</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>Archiv etwa %1 von höchstens %2 (geschätzt durch Komprimieren einer Stichprobe jeder Dateiart).</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>Mindestens eine Datei muss gesendet werden: Die Beschreibung allein hilft dem Support nicht.</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>Die Dateien konnten nicht aufgelistet werden.</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>Die Datei konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>Meinen Namen und Computer verbergen</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>Die Liste der Ersetzungen bleibt auf diesem Computer: %1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>Auch diese Wörter verbergen</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>der Name eines Kunden oder Projekts, durch Kommas getrennt</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>Ersetzt in jeder gesendeten Datei und in Ihrer Beschreibung: Ihr Anmeldename; Ihr echter Name, wie Dateien ihn schreiben (Vorname.Nachname, Nachname, Vorname, jede Schreibung); Ihr Benutzerordner; die Namen dieses Computers und seine Netzwerkadressen (Hardware und IP); andere E-Mail-Adressen als Ihre; die Wörter, die Sie hinzufügen (Namen aus ein oder zwei Buchstaben nur als ganze Wörter). Das Archiv wird vor dem Senden darauf geprüft: Eine Datei, in der noch einer gefunden wird, bleibt auf diesem Computer. Der Feedback-Datensatz enthält eine Gerätekennung, die sich nicht auf Sie zurückführen lässt.</translation>
    </message>
</context>
<context>
    <name>SentPanel</name>
    <message>
        <source>Sent</source>
        <translation>Gesendet</translation>
    </message>
    <message>
        <source>The log files were sent successfully.</source>
        <translation>Die Protokolldateien wurden gesendet.</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>Ihre Log-ID für Rückfragen:</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>kopieren</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>BASIC LOGS
• Scrivo configuration, settings and logs
• System configuration and settings</source>
        <translation>BASISPROTOKOLLE
• Scrivo-Konfiguration, -Einstellungen und -Protokolle
• Systemkonfiguration und -einstellungen</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>BASISPROTOKOLLE                                      ERWEITERTE PROTOKOLLE
• Scrivo-Konfiguration und -Protokolle      • Vollständiges Scrivo-Datenabbild
• Systemkonfiguration</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>BASISPROTOKOLLE                                      ERWEITERTE PROTOKOLLE
• Scrivo-Konfiguration und -Protokolle      • Vollständiges Scrivo-Datenabbild
• Systemkonfiguration                                   • Versionen installierter Apps</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>Überwachung starten</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>Überwachung beenden</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>Protokolle teilen</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>Hochladen abbrechen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>Tarvix sammelt folgende Informationen, um das Problem zu lösen</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>Bitte beschreiben Sie, was zu dem Fehler geführt hat</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>Norvane darf mich unter dieser E-Mail-Adresse zu Lösungen kontaktieren</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>Bitte wiederholen Sie die Schritte, die zum Problem geführt haben, und wählen Sie dann „Überwachung beenden“</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>Scrivo-Datenabbild wird erstellt.</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>Systemkonfiguration und -einstellungen werden erfasst.</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>Scrivo-Einstellungen und -Protokolle werden erfasst.</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>Protokollierung abgeschlossen.</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>Protokolle werden komprimiert.</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>Keine Scrivo-Installation gefunden</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>Auf diesem Gerät ist Scrivo nicht installiert. Bitte installieren Sie Scrivo und starten Sie dann die Fehlerbehebung.</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>Mehrere Scrivo-Instanzen erkannt</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>Bitte öffnen Sie nur die eine Scrivo-App, bei der das Problem auftritt, bevor Sie Tarvix ausführen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>Tarvix sammelt die Protokolle von Scrivo.</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>Die ausführliche Protokollierung von Scrivo bleibt an, bis die Überwachung beendet wird.</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>Tarvix sendet die Protokolle an das Support-Team.</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>Tarvix schaltet die ausführliche Protokollierung von Scrivo ein.</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>Hochladen: %1 %</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>Tarvix sendet die zum späteren Senden aufbewahrten Berichte, sobald es kann.</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>In %1 steht noch ein verborgener Name, daher wird die Datei weggelassen. Prüfen Sie, was gesendet wird, und teilen Sie dann erneut.</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>Tarvix läuft noch</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>Starten Sie Tarvix erneut, um das Fenster wieder zu öffnen.</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>Tarvix anzeigen</translation>
    </message>
</context>
</TS>
