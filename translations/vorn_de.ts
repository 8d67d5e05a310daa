<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Accessibility</name>
    <message>
        <source>%1%2</source>
        <extracomment>A progress bar&apos;s value as a screen reader reads it: the number and the locale&apos;s percent sign, &quot;42%&quot;.</extracomment>
        <translation>%1&#xa0;%2</translation>
    </message>
</context>
<context>
    <name>DataSize</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>DoneNotifier</name>
    <message>
        <source>%1, verified, saved in %2</source>
        <translation>%1 geprüft und in %2 gespeichert</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 in %2 gespeichert</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner anzeigen</translation>
    </message>
    <message>
        <source>%1 downloaded</source>
        <translation>%1 heruntergeladen</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: the desktop has no file manager to show it.</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden: Auf dem Desktop gibt es keinen Dateimanager, der ihn anzeigen könnte.</translation>
    </message>
</context>
<context>
    <name>FailureMessage</name>
    <message>
        <source>the server&apos;s name was not found</source>
        <translation>Der Name des Servers wurde nicht gefunden</translation>
    </message>
    <message>
        <source>could not reach the server</source>
        <translation>Der Server war nicht erreichbar</translation>
    </message>
    <message>
        <source>no answer from the server for %1 s</source>
        <translation>Vom Server kam %1 s lang keine Antwort</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>Der Server hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>the secure connection could not be set up</source>
        <translation>Die sichere Verbindung konnte nicht aufgebaut werden</translation>
    </message>
    <message>
        <source>the server redirected too many times</source>
        <translation>Der Server hat zu oft weitergeleitet</translation>
    </message>
    <message>
        <source>refused a redirect from a secure address to an insecure one</source>
        <translation>Eine Weiterleitung von einer sicheren zu einer unsicheren Adresse wurde abgelehnt</translation>
    </message>
    <message>
        <source>redirected to %1, which is not a web address it downloads from</source>
        <extracomment>%1 is where the redirect led, cut after its scheme: &quot;mailto:…&quot;.</extracomment>
        <translation>Weitergeleitet zu %1, keiner Webadresse, von der heruntergeladen wird</translation>
    </message>
    <message>
        <source>the server redirected to an address that cannot be used</source>
        <translation>Der Server leitete zu einer Adresse weiter, die nicht verwendet werden kann</translation>
    </message>
    <message>
        <source>the server&apos;s answer could not be read</source>
        <translation>Die Antwort des Servers war nicht lesbar</translation>
    </message>
    <message>
        <source>the transfer failed</source>
        <translation>Die Übertragung ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A failure and the system&apos;s own few words on it, often in English: &quot;could not reach the server (Connection refused)&quot;.</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2.</source>
        <translation>%1 konnte nicht heruntergeladen werden: %2.</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.</source>
        <translation>%1 konnte nicht heruntergeladen werden: %2. Ein früheres Archiv bleibt, falls vorhanden, unverändert.</translation>
    </message>
    <message>
        <source>the server ended the body</source>
        <translation>Der Server hat die Übertragung vorzeitig beendet</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 in %2 gespeichert</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>incomplete, %1 kept in %2</source>
        <translation>unvollständig, %1 in %2 aufbewahrt</translation>
    </message>
    <message>
        <source>could not be saved to %1</source>
        <translation>konnte nicht in %1 gespeichert werden</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>How the last download ended, after the tool&apos;s name: &quot;Vorn Scanner V1.40: 2.0 MiB saved in ~/Downloads&quot;.</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>the server&apos;s status line cannot be read</source>
        <translation>Die Statuszeile des Servers ist nicht lesbar</translation>
    </message>
    <message>
        <source>the server&apos;s answer head is too large</source>
        <translation>Der Kopf der Serverantwort ist zu groß</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot;</source>
        <extracomment>A failure and the server&apos;s own words it is about: the server&apos;s status line cannot be read: &quot;HTTP/1.1 2OO OK&quot;.</extracomment>
        <translation>%1: „%2“</translation>
    </message>
    <message>
        <source>%1 from the desktop&apos;s settings</source>
        <translation>%1 aus den Einstellungen des Desktops</translation>
    </message>
    <message>
        <source>the proxy setting %1 cannot be read</source>
        <translation>Die Proxy-Einstellung %1 ist nicht lesbar</translation>
    </message>
    <message>
        <source>the proxy&apos;s name in %1 was not found</source>
        <translation>Der Name des Proxys in %1 wurde nicht gefunden</translation>
    </message>
    <message>
        <source>could not reach the proxy %1</source>
        <translation>Der Proxy %1 war nicht erreichbar</translation>
    </message>
    <message>
        <source>the proxy %1 refused to open a connection to the server (it answered %2)</source>
        <translation>Der Proxy %1 hat es abgelehnt, eine Verbindung zum Server zu öffnen (er antwortete %2)</translation>
    </message>
    <message>
        <source>the proxy %1 failed</source>
        <translation>Beim Proxy %1 ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>The download of %1 is incomplete: %2 after %3.
The partial data is kept in %4.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;; %3 is how much arrived: &quot;293.0 of 878.9 KiB&quot;, or &quot;293.0 KiB&quot; when the size was never told.</extracomment>
        <translation>Der Download von %1 ist unvollständig: %2, nach %3.
Die bisher empfangenen Daten werden in %4 aufbewahrt.</translation>
    </message>
    <message>
        <source>%1 could not be saved to %2: %3.</source>
        <translation>%1 konnte nicht in %2 gespeichert werden: %3.</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a file</source>
        <translation>Die Zertifikatseinstellung %1 nennt keine Datei</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a folder</source>
        <translation>Die Zertifikatseinstellung %1 nennt keinen Ordner</translation>
    </message>
    <message>
        <source>the certificates to trust could not be read from %1</source>
        <translation>Die vertrauenswürdigen Zertifikate konnten nicht aus %1 gelesen werden</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not made out to its name</source>
        <translation>Das Zertifikat des Servers ist nicht auf seinen Namen ausgestellt</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not from an issuer trusted here</source>
        <translation>Das Zertifikat des Servers stammt von keinem hier vertrauenswürdigen Aussteller</translation>
    </message>
    <message>
        <source>the server&apos;s certificate has expired</source>
        <translation>Das Zertifikat des Servers ist abgelaufen</translation>
    </message>
    <message>
        <source>the server sent no data</source>
        <translation>Der Server hat keine Daten gesendet</translation>
    </message>
    <message>
        <source>the server answered with status %1 instead of sending the archive</source>
        <translation>Der Server antwortete mit Status %1, statt das Archiv zu senden</translation>
    </message>
    <message>
        <source>the server sent the archive encoded (%1) although it was asked not to</source>
        <translation>Der Server hat das Archiv kodiert (%1) gesendet, obwohl es unkodiert angefordert wurde</translation>
    </message>
    <message>
        <source>the server sent a web page instead of the archive</source>
        <translation>Der Server hat eine Webseite statt des Archivs gesendet</translation>
    </message>
    <message>
        <source>the server announced a size that cannot be right (&quot;%1&quot;)</source>
        <translation>Der Server hat eine Größe angekündigt, die nicht stimmen kann („%1“)</translation>
    </message>
    <message>
        <source>the server sent only part of the archive (&quot;%1&quot;)</source>
        <translation>Der Server hat nur einen Teil des Archivs gesendet („%1“)</translation>
    </message>
    <message>
        <source>the server sent only part of the archive</source>
        <translation>Der Server hat nur einen Teil des Archivs gesendet</translation>
    </message>
    <message>
        <source>the server sent the archive wrapped in parts (multipart/byteranges) instead of as it is</source>
        <translation>Der Server hat das Archiv in Teile verpackt gesendet (multipart/byteranges) statt so, wie es ist</translation>
    </message>
    <message>
        <source>the server did not say how large the whole archive is (it sent &quot;%1&quot;)</source>
        <translation>Der Server hat nicht gesagt, wie groß das ganze Archiv ist (er sendete „%1“)</translation>
    </message>
    <message numerus="yes">
        <source>the server announced two different sizes: %1 bytes as its length and %2 in its range</source>
        <translation>
            <numerusform>Der Server hat zwei verschiedene Größen angekündigt: %1 Byte als Länge und %2 in seinem Bereich</numerusform>
            <numerusform>Der Server hat zwei verschiedene Größen angekündigt: %1 Bytes als Länge und %2 in seinem Bereich</numerusform>
        </translation>
    </message>
    <message>
        <source>the server gave a checksum of the archive that cannot be read</source>
        <translation>Der Server hat eine unlesbare Prüfsumme des Archivs angegeben</translation>
    </message>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation>
            <numerusform>Der Server hat mehr als das angekündigte %1 Byte gesendet</numerusform>
            <numerusform>Der Server hat mehr als die angekündigten %1 Bytes gesendet</numerusform>
        </translation>
    </message>
    <message>
        <source>the archive did not match the checksum the server gave</source>
        <translation>Das Archiv passt nicht zu der Prüfsumme, die der Server angegeben hat</translation>
    </message>
    <message>
        <source>the folder to save in is unknown</source>
        <translation>Der Ordner zum Speichern ist unbekannt</translation>
    </message>
    <message>
        <source>it is a link, and a download never writes through a link</source>
        <translation>Dort steht eine Verknüpfung, und ein Download schreibt nie über eine Verknüpfung</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>Dort steht keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it belongs to another user, and a download only writes files of its own</source>
        <translation>Die Datei gehört einem anderen Benutzer, und ein Download schreibt nur in eigene Dateien</translation>
    </message>
    <message>
        <source>it has other names as well (hard links), and a download never writes into such a file</source>
        <translation>Die Datei hat noch weitere Namen (harte Links), und ein Download schreibt nie in eine solche Datei</translation>
    </message>
    <message>
        <source>another download is writing this file</source>
        <translation>Ein anderer Download schreibt gerade in diese Datei</translation>
    </message>
    <message>
        <source>someone changed the file as soon as it was opened</source>
        <translation>Jemand hat die Datei gleich nach dem Öffnen verändert</translation>
    </message>
    <message>
        <source>the file was changed while it was being written</source>
        <translation>Die Datei wurde verändert, während sie geschrieben wurde</translation>
    </message>
    <message numerus="yes">
        <source>the file was changed while it was being written (it holds %1 bytes, not %2)</source>
        <translation>
            <numerusform>Die Datei wurde verändert, während sie geschrieben wurde (sie enthält %1 Byte statt %2)</numerusform>
            <numerusform>Die Datei wurde verändert, während sie geschrieben wurde (sie enthält %1 Bytes statt %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>the file was replaced while it was being written</source>
        <translation>Die Datei wurde ersetzt, während sie geschrieben wurde</translation>
    </message>
    <message>
        <source>the file was given another name while it was being written</source>
        <translation>Die Datei wurde umbenannt, während sie geschrieben wurde</translation>
    </message>
    <message>
        <source>the new archive is in place, but the system could not confirm that it is on the disk (%1)</source>
        <translation>Das neue Archiv ist an seinem Platz, aber das System konnte nicht bestätigen, dass es auf dem Datenträger gespeichert ist (%1)</translation>
    </message>
    <message>
        <source>there is no home folder to find the download folder in</source>
        <translation>Es gibt keinen persönlichen Ordner, in dem der Download-Ordner liegen könnte</translation>
    </message>
    <message>
        <source>the download folder set in %1 is not an absolute path</source>
        <translation>Der in %1 eingestellte Download-Ordner ist kein absoluter Pfad</translation>
    </message>
    <message>
        <source>the name of the download folder set in %1 is not valid in the system&apos;s encoding of file names</source>
        <translation>Der Name des in %1 eingestellten Download-Ordners ist in der Kodierung der Dateinamen dieses Systems nicht gültig</translation>
    </message>
    <message>
        <source>the download folder cannot be read from %1, which is not a regular file</source>
        <translation>Der Download-Ordner kann nicht aus %1 gelesen werden, da dies keine reguläre Datei ist</translation>
    </message>
    <message>
        <source>the folder could not be created (%1)</source>
        <translation>Der Ordner konnte nicht angelegt werden (%1)</translation>
    </message>
    <message>
        <source>Multiple Choices</source>
        <translation>Mehrere Auswahlmöglichkeiten</translation>
    </message>
    <message>
        <source>Moved Permanently</source>
        <translation>Dauerhaft verschoben</translation>
    </message>
    <message>
        <source>Found</source>
        <translation>Gefunden</translation>
    </message>
    <message>
        <source>See Other</source>
        <translation>Siehe andere Adresse</translation>
    </message>
    <message>
        <source>Not Modified</source>
        <translation>Nicht geändert</translation>
    </message>
    <message>
        <source>Use Proxy</source>
        <translation>Proxy verwenden</translation>
    </message>
    <message>
        <source>Temporary Redirect</source>
        <translation>Vorübergehend umgeleitet</translation>
    </message>
    <message>
        <source>Permanent Redirect</source>
        <translation>Dauerhaft umgeleitet</translation>
    </message>
    <message>
        <source>Bad Request</source>
        <translation>Ungültige Anfrage</translation>
    </message>
    <message>
        <source>Unauthorized</source>
        <translation>Nicht autorisiert</translation>
    </message>
    <message>
        <source>Payment Required</source>
        <translation>Zahlung erforderlich</translation>
    </message>
    <message>
        <source>Forbidden</source>
        <translation>Verboten</translation>
    </message>
    <message>
        <source>Not Found</source>
        <translation>Nicht gefunden</translation>
    </message>
    <message>
        <source>Method Not Allowed</source>
        <translation>Methode nicht erlaubt</translation>
    </message>
    <message>
        <source>Not Acceptable</source>
        <translation>Nicht annehmbar</translation>
    </message>
    <message>
        <source>Proxy Authentication Required</source>
        <translation>Proxy-Authentifizierung erforderlich</translation>
    </message>
    <message>
        <source>Request Timeout</source>
        <translation>Zeitüberschreitung der Anfrage</translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation>Konflikt</translation>
    </message>
    <message>
        <source>Gone</source>
        <translation>Nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>Length Required</source>
        <translation>Länge erforderlich</translation>
    </message>
    <message>
        <source>Precondition Failed</source>
        <translation>Vorbedingung nicht erfüllt</translation>
    </message>
    <message>
        <source>Content Too Large</source>
        <translation>Inhalt zu groß</translation>
    </message>
    <message>
        <source>URI Too Long</source>
        <translation>URI zu lang</translation>
    </message>
    <message>
        <source>Unsupported Media Type</source>
        <translation>Nicht unterstützter Medientyp</translation>
    </message>
    <message>
        <source>Range Not Satisfiable</source>
        <translation>Bereich nicht erfüllbar</translation>
    </message>
    <message>
        <source>Expectation Failed</source>
        <translation>Erwartung nicht erfüllt</translation>
    </message>
    <message>
        <source>Misdirected Request</source>
        <translation>Fehlgeleitete Anfrage</translation>
    </message>
    <message>
        <source>Unprocessable Content</source>
        <translation>Nicht verarbeitbarer Inhalt</translation>
    </message>
    <message>
        <source>Upgrade Required</source>
        <translation>Upgrade erforderlich</translation>
    </message>
    <message>
        <source>Too Many Requests</source>
        <translation>Zu viele Anfragen</translation>
    </message>
    <message>
        <source>Unavailable For Legal Reasons</source>
        <translation>Aus rechtlichen Gründen nicht verfügbar</translation>
    </message>
    <message>
        <source>Internal Server Error</source>
        <translation>Interner Serverfehler</translation>
    </message>
    <message>
        <source>Not Implemented</source>
        <translation>Nicht implementiert</translation>
    </message>
    <message>
        <source>Bad Gateway</source>
        <translation>Fehlerhaftes Gateway</translation>
    </message>
    <message>
        <source>Service Unavailable</source>
        <translation>Dienst nicht verfügbar</translation>
    </message>
    <message>
        <source>Gateway Timeout</source>
        <translation>Zeitüberschreitung des Gateways</translation>
    </message>
    <message>
        <source>HTTP Version Not Supported</source>
        <translation>HTTP-Version nicht unterstützt</translation>
    </message>
    <message>
        <source>Network Authentication Required</source>
        <translation>Netzwerk-Authentifizierung erforderlich</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>status</comment>
        <extracomment>A status and its standard meaning: &quot;404, Not Found&quot;.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>the proxy %1 asks for a user name and password (it answered %2)</source>
        <translation>Der Proxy %1 verlangt einen Benutzernamen und ein Passwort (er antwortete %2)</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>Der Server antwortete %1</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2 before any of the archive arrived. The earlier archive, if any, is unchanged.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;.</extracomment>
        <translation>%1 konnte nicht heruntergeladen werden: %2, bevor etwas vom Archiv ankam. Ein früheres Archiv bleibt, falls vorhanden, unverändert.</translation>
    </message>
    <message>
        <source>%1 could not be saved: %2.</source>
        <translation>%1 konnte nicht gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>could not be saved</source>
        <translation>konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 has %3 free</source>
        <translation>Benötigt werden %1; auf dem Datenträger von %2 sind %3 frei</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 cannot hold a file that large</source>
        <translation>Benötigt werden %1; der Datenträger von %2 kann keine so große Datei aufnehmen</translation>
    </message>
    <message>
        <source>the server only speaks HTTP/2</source>
        <translation>Der Server spricht nur HTTP/2</translation>
    </message>
    <message>
        <source>the archive on the server is empty</source>
        <translation>Das Archiv auf dem Server ist leer</translation>
    </message>
    <message>
        <source>the proxy %1 did not accept the user name and password (it answered %2)</source>
        <translation>Der Proxy %1 hat den Benutzernamen und das Passwort nicht angenommen (er antwortete %2)</translation>
    </message>
    <message>
        <source>the proxy %1 answered %2 instead of the server</source>
        <translation>Der Proxy %1 antwortete statt des Servers mit %2</translation>
    </message>
    <message>
        <source>the answer through the proxy %1 was %2</source>
        <extracomment>&quot;the answer through the proxy http_proxy=http://127.0.0.1:3128 was 500, Internal Server Error&quot;</extracomment>
        <translation>Die Antwort über den Proxy %1 lautete %2</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Download failed</source>
        <translation>Download fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>ProgressReadout</name>
    <message>
        <source>%1 s left</source>
        <translation>noch %1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>noch %1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>noch %1 h %2 min</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>Joins the readings of a download&apos;s progress: the amount so far, the speed, the time left.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>stalled</source>
        <translation>stockt</translation>
    </message>
    <message>
        <source>%1/s</source>
        <extracomment>A speed: &quot;2.0 MiB/s&quot;.</extracomment>
        <translation>%1/s</translation>
    </message>
</context>
<context>
    <name>SuspendInhibitor</name>
    <message>
        <source>Downloading %1</source>
        <translation>%1 wird heruntergeladen</translation>
    </message>
</context>
<context>
    <name>WindowDescription</name>
    <message>
        <source>Tool to download</source>
        <translation>Herunterzuladendes Werkzeug</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Fetches the archive of the tool picked in the list</source>
        <translation>Lädt das Archiv des in der Liste gewählten Werkzeugs herunter</translation>
    </message>
    <message>
        <source>Stops the running download</source>
        <translation>Bricht den laufenden Download ab</translation>
    </message>
    <message>
        <source>Shows who made the program</source>
        <translation>Zeigt, wer das Programm entwickelt hat</translation>
    </message>
    <message>
        <source>Ends the program at once</source>
        <translation>Beendet das Programm sofort</translation>
    </message>
    <message>
        <source>VORN banner</source>
        <translation>VORN-Banner</translation>
    </message>
    <message>
        <source>DAVRIN</source>
        <translation>DAVRIN</translation>
    </message>
    <message>
        <source>Closes this window</source>
        <translation>Schließt dieses Fenster</translation>
    </message>
</context>
</TS>
