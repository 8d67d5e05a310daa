<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AnswerCheck</name>
    <message>
        <source>the server sent no data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server answered with status %1 instead of sending the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server sent the archive encoded (%1) although it was asked not to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server sent a web page instead of the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server announced a size that cannot be right (&quot;%1&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server sent only part of the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server sent only part of the archive (&quot;%1&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server announced two different sizes (&quot;%1&quot; and &quot;%2&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server gave a digest of the archive that cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>the archive did not match the digest the server gave</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DestinationFolder</name>
    <message>
        <source>there is no home folder to find the download folder in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the download folder set in %1 is not an absolute path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder could not be created (%1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DoneNotifier</name>
    <message>
        <source>%1, verified, saved in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 downloaded</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FailureMessage</name>
    <message>
        <source>the server&apos;s name was not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>could not reach the server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no answer from the server for %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the secure connection could not be set up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server redirected too many times</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>refused a redirect from a secure address to an insecure one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server&apos;s answer could not be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the transfer failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A failure and the system&apos;s own few words on it (in English): &quot;could not reach the server (Connection refused)&quot;.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be downloaded: the server answered &quot;%2&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server ended the body</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>The download of %1 is incomplete: %2 after %3 of %4 bytes.
The partial data is kept in %5.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;; %3 and %4 are numbers of bytes.</extracomment>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The download of %1 is incomplete: %2 after %3 bytes.
The partial data is kept in %4.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;; %3 is a number of bytes.</extracomment>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>%1 could not be saved to %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cancelled, %1 kept in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server answered &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>incomplete, %1 kept in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>could not be saved to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>How the last download ended, after the tool&apos;s name: &quot;Vorn Scanner V1.40: 2.0 MiB saved in ~/Downloads&quot;.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Download failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Inet</name>
    <message>
        <source>unknown proxy scheme &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The proxy setting %1 cannot be read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refused a redirect from a secure address to an insecure one: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server sent two different Content-Length headers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>No answer arrived within %n second(s).</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>No data arrived for %n second(s).</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PartFile</name>
    <message>
        <source>the folder to save in is unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>another download is writing this file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file was tampered with as soon as it was made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is a link, and a download never writes through a link</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it belongs to another user, and a download only writes files of its own</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it has other names as well (hard links), and a download never writes into such a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file was replaced while it was being written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file was given another name while it was being written</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProgressReadout</name>
    <message>
        <source>%1 s left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>Joins the readings of a download&apos;s progress: the amount so far, the speed, the time left.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <extracomment>The amount received so far of the whole: &quot;12.3 of 64.0 MiB&quot;.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stalled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1/s</source>
        <extracomment>A speed: &quot;2.0 MiB/s&quot;.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindowDescription</name>
    <message>
        <source>Tool to download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
