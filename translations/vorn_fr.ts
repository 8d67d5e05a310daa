<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
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
        <translation>%1 sur %2</translation>
    </message>
</context>
<context>
    <name>DoneNotifier</name>
    <message>
        <source>%1, verified, saved in %2</source>
        <translation>%1 vérifiés et enregistrés dans %2</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 enregistrés dans %2</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Afficher dans le dossier</translation>
    </message>
    <message>
        <source>%1 downloaded</source>
        <translation>Téléchargement de %1 terminé</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: the desktop has no file manager to show it.</source>
        <translation>Le dossier %1 n&apos;a pas pu être ouvert&#xa0;: le bureau n&apos;a aucun gestionnaire de fichiers pour l&apos;afficher.</translation>
    </message>
</context>
<context>
    <name>FailureMessage</name>
    <message>
        <source>the server&apos;s name was not found</source>
        <translation>le nom du serveur est introuvable</translation>
    </message>
    <message>
        <source>could not reach the server</source>
        <translation>impossible de joindre le serveur</translation>
    </message>
    <message>
        <source>no answer from the server for %1 s</source>
        <translation>aucune réponse du serveur pendant %1 s</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>le serveur a fermé la connexion</translation>
    </message>
    <message>
        <source>the secure connection could not be set up</source>
        <translation>la connexion sécurisée n&apos;a pas pu être établie</translation>
    </message>
    <message>
        <source>the server redirected too many times</source>
        <translation>le serveur a redirigé trop de fois</translation>
    </message>
    <message>
        <source>refused a redirect from a secure address to an insecure one</source>
        <translation>redirection d&apos;une adresse sécurisée vers une adresse non sécurisée refusée</translation>
    </message>
    <message>
        <source>redirected to %1, which is not a web address it downloads from</source>
        <extracomment>%1 is where the redirect led, cut after its scheme: &quot;mailto:…&quot;.</extracomment>
        <translation>redirigé vers %1, qui n&apos;est pas une adresse web depuis laquelle il télécharge</translation>
    </message>
    <message>
        <source>the server redirected to an address that cannot be used</source>
        <translation>le serveur a redirigé vers une adresse inutilisable</translation>
    </message>
    <message>
        <source>the server&apos;s answer could not be read</source>
        <translation>la réponse du serveur est illisible</translation>
    </message>
    <message>
        <source>the transfer failed</source>
        <translation>le transfert a échoué</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A failure and the system&apos;s own few words on it, often in English: &quot;could not reach the server (Connection refused)&quot;.</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2.</source>
        <translation>%1 n&apos;a pas pu être téléchargé&#xa0;: %2.</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.</source>
        <translation>%1 n&apos;a pas pu être téléchargé&#xa0;: %2. L&apos;archive précédente, s&apos;il y en a une, reste inchangée.</translation>
    </message>
    <message>
        <source>the server ended the body</source>
        <translation>le serveur a mis fin à l&apos;envoi</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 enregistrés dans %2</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>annulé</translation>
    </message>
    <message>
        <source>incomplete, %1 kept in %2</source>
        <translation>incomplet, %1 conservés dans %2</translation>
    </message>
    <message>
        <source>could not be saved to %1</source>
        <translation>n&apos;a pas pu être enregistré dans %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>How the last download ended, after the tool&apos;s name: &quot;Vorn Scanner V1.40: 2.0 MiB saved in ~/Downloads&quot;.</extracomment>
        <translation>%1&#xa0;: %2</translation>
    </message>
    <message>
        <source>the server&apos;s status line cannot be read</source>
        <translation>la ligne d&apos;état du serveur est illisible</translation>
    </message>
    <message>
        <source>the server&apos;s answer head is too large</source>
        <translation>l&apos;en-tête de la réponse du serveur est trop grand</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot;</source>
        <extracomment>A failure and the server&apos;s own words it is about: the server&apos;s status line cannot be read: &quot;HTTP/1.1 2OO OK&quot;.</extracomment>
        <translation>%1&#xa0;: «&#xa0;%2&#xa0;»</translation>
    </message>
    <message>
        <source>%1 from the desktop&apos;s settings</source>
        <translation>%1 des réglages du bureau</translation>
    </message>
    <message>
        <source>the proxy setting %1 cannot be read</source>
        <translation>le réglage de proxy %1 est illisible</translation>
    </message>
    <message>
        <source>the proxy&apos;s name in %1 was not found</source>
        <translation>le nom du proxy dans %1 est introuvable</translation>
    </message>
    <message>
        <source>could not reach the proxy %1</source>
        <translation>impossible de joindre le proxy %1</translation>
    </message>
    <message>
        <source>the proxy %1 refused to open a connection to the server (it answered %2)</source>
        <translation>le proxy %1 a refusé d&apos;ouvrir une connexion vers le serveur (il a répondu %2)</translation>
    </message>
    <message>
        <source>the proxy %1 failed</source>
        <translation>le proxy %1 a échoué</translation>
    </message>
    <message>
        <source>The download of %1 is incomplete: %2 after %3.
The partial data is kept in %4.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;; %3 is how much arrived: &quot;293.0 of 878.9 KiB&quot;, or &quot;293.0 KiB&quot; when the size was never told.</extracomment>
        <translation>Le téléchargement de %1 est incomplet&#xa0;: %2, après %3.
Les données partielles sont conservées dans %4.</translation>
    </message>
    <message>
        <source>%1 could not be saved to %2: %3.</source>
        <translation>%1 n&apos;a pas pu être enregistré dans %2&#xa0;: %3.</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a file</source>
        <translation>le réglage de certificats %1 ne désigne pas un fichier</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a folder</source>
        <translation>le réglage de certificats %1 ne désigne pas un dossier</translation>
    </message>
    <message>
        <source>the certificates to trust could not be read from %1</source>
        <translation>les certificats de confiance n&apos;ont pas pu être lus depuis %1</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not made out to its name</source>
        <translation>le certificat du serveur n&apos;est pas établi à son nom</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not from an issuer trusted here</source>
        <translation>le certificat du serveur ne vient pas d&apos;un émetteur de confiance ici</translation>
    </message>
    <message>
        <source>the server&apos;s certificate has expired</source>
        <translation>le certificat du serveur a expiré</translation>
    </message>
    <message>
        <source>the server sent no data</source>
        <translation>le serveur n&apos;a envoyé aucune donnée</translation>
    </message>
    <message>
        <source>the server answered with status %1 instead of sending the archive</source>
        <translation>le serveur a répondu avec le statut %1 au lieu d&apos;envoyer l&apos;archive</translation>
    </message>
    <message>
        <source>the server sent the archive encoded (%1) although it was asked not to</source>
        <translation>le serveur a envoyé l&apos;archive encodée (%1) alors qu&apos;elle était demandée sans encodage</translation>
    </message>
    <message>
        <source>the server sent a web page instead of the archive</source>
        <translation>le serveur a envoyé une page web au lieu de l&apos;archive</translation>
    </message>
    <message>
        <source>the server announced a size that cannot be right (&quot;%1&quot;)</source>
        <translation>le serveur a annoncé une taille qui ne peut pas être juste («&#xa0;%1&#xa0;»)</translation>
    </message>
    <message>
        <source>the server sent only part of the archive (&quot;%1&quot;)</source>
        <translation>le serveur n&apos;a envoyé qu&apos;une partie de l&apos;archive («&#xa0;%1&#xa0;»)</translation>
    </message>
    <message>
        <source>the server sent only part of the archive</source>
        <translation>le serveur n&apos;a envoyé qu&apos;une partie de l&apos;archive</translation>
    </message>
    <message>
        <source>the server sent the archive wrapped in parts (multipart/byteranges) instead of as it is</source>
        <translation>le serveur a envoyé l&apos;archive emballée en plusieurs parties (multipart/byteranges) au lieu de l&apos;envoyer telle quelle</translation>
    </message>
    <message>
        <source>the server did not say how large the whole archive is (it sent &quot;%1&quot;)</source>
        <translation>le serveur n&apos;a pas dit quelle est la taille de l&apos;archive entière (il a envoyé «&#xa0;%1&#xa0;»)</translation>
    </message>
    <message numerus="yes">
        <source>the server announced two different sizes: %1 bytes as its length and %2 in its range</source>
        <translation>
            <numerusform>le serveur a annoncé deux tailles différentes&#xa0;: %1 octet comme longueur et %2 dans sa plage</numerusform>
            <numerusform>le serveur a annoncé deux tailles différentes&#xa0;: %1 octets comme longueur et %2 dans sa plage</numerusform>
        </translation>
    </message>
    <message>
        <source>the server gave a checksum of the archive that cannot be read</source>
        <translation>le serveur a fourni une somme de contrôle de l&apos;archive illisible</translation>
    </message>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation>
            <numerusform>le serveur a envoyé plus que la taille annoncée (%1 octet)</numerusform>
            <numerusform>le serveur a envoyé plus que la taille annoncée (%1 octets)</numerusform>
        </translation>
    </message>
    <message>
        <source>the archive did not match the checksum the server gave</source>
        <translation>l&apos;archive ne correspond pas à la somme de contrôle fournie par le serveur</translation>
    </message>
    <message>
        <source>the folder to save in is unknown</source>
        <translation>le dossier où enregistrer est inconnu</translation>
    </message>
    <message>
        <source>it is a link, and a download never writes through a link</source>
        <translation>c&apos;est un lien, et un téléchargement n&apos;écrit jamais à travers un lien</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>ce n&apos;est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it belongs to another user, and a download only writes files of its own</source>
        <translation>il appartient à un autre utilisateur, et un téléchargement n&apos;écrit que dans ses propres fichiers</translation>
    </message>
    <message>
        <source>it has other names as well (hard links), and a download never writes into such a file</source>
        <translation>il porte aussi d&apos;autres noms (liens physiques), et un téléchargement n&apos;écrit jamais dans un tel fichier</translation>
    </message>
    <message>
        <source>another download is writing this file</source>
        <translation>un autre téléchargement écrit dans ce fichier</translation>
    </message>
    <message>
        <source>someone changed the file as soon as it was opened</source>
        <translation>quelqu&apos;un a modifié le fichier dès son ouverture</translation>
    </message>
    <message>
        <source>the file was changed while it was being written</source>
        <translation>le fichier a été modifié pendant son écriture</translation>
    </message>
    <message numerus="yes">
        <source>the file was changed while it was being written (it holds %1 bytes, not %2)</source>
        <translation>
            <numerusform>le fichier a été modifié pendant son écriture (il contient %1 octet et non %2)</numerusform>
            <numerusform>le fichier a été modifié pendant son écriture (il contient %1 octets et non %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>the file was replaced while it was being written</source>
        <translation>le fichier a été remplacé pendant son écriture</translation>
    </message>
    <message>
        <source>the file was given another name while it was being written</source>
        <translation>le fichier a été renommé pendant son écriture</translation>
    </message>
    <message>
        <source>the new archive is in place, but the system could not confirm that it is on the disk (%1)</source>
        <translation>la nouvelle archive est en place, mais le système n&apos;a pas pu confirmer qu&apos;elle est enregistrée sur le disque (%1)</translation>
    </message>
    <message>
        <source>there is no home folder to find the download folder in</source>
        <translation>il n&apos;y a pas de dossier personnel où chercher le dossier de téléchargement</translation>
    </message>
    <message>
        <source>the download folder set in %1 is not an absolute path</source>
        <translation>le dossier de téléchargement défini dans %1 n&apos;est pas un chemin absolu</translation>
    </message>
    <message>
        <source>the name of the download folder set in %1 is not valid in the system&apos;s encoding of file names</source>
        <translation>le nom du dossier de téléchargement défini dans %1 n&apos;est pas valide dans l&apos;encodage des noms de fichiers du système</translation>
    </message>
    <message>
        <source>the download folder cannot be read from %1, which is not a regular file</source>
        <translation>le dossier de téléchargement ne peut pas être lu dans %1, qui n&apos;est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>the folder could not be created (%1)</source>
        <translation>le dossier n&apos;a pas pu être créé (%1)</translation>
    </message>
    <message>
        <source>Multiple Choices</source>
        <translation>Choix multiples</translation>
    </message>
    <message>
        <source>Moved Permanently</source>
        <translation>Déplacé définitivement</translation>
    </message>
    <message>
        <source>Found</source>
        <translation>Trouvé</translation>
    </message>
    <message>
        <source>See Other</source>
        <translation>Voir ailleurs</translation>
    </message>
    <message>
        <source>Not Modified</source>
        <translation>Non modifié</translation>
    </message>
    <message>
        <source>Use Proxy</source>
        <translation>Utiliser le proxy</translation>
    </message>
    <message>
        <source>Temporary Redirect</source>
        <translation>Redirection temporaire</translation>
    </message>
    <message>
        <source>Permanent Redirect</source>
        <translation>Redirection permanente</translation>
    </message>
    <message>
        <source>Bad Request</source>
        <translation>Requête incorrecte</translation>
    </message>
    <message>
        <source>Unauthorized</source>
        <translation>Non autorisé</translation>
    </message>
    <message>
        <source>Payment Required</source>
        <translation>Paiement requis</translation>
    </message>
    <message>
        <source>Forbidden</source>
        <translation>Interdit</translation>
    </message>
    <message>
        <source>Not Found</source>
        <translation>Introuvable</translation>
    </message>
    <message>
        <source>Method Not Allowed</source>
        <translation>Méthode non autorisée</translation>
    </message>
    <message>
        <source>Not Acceptable</source>
        <translation>Non acceptable</translation>
    </message>
    <message>
        <source>Proxy Authentication Required</source>
        <translation>Authentification du proxy requise</translation>
    </message>
    <message>
        <source>Request Timeout</source>
        <translation>Délai de la requête dépassé</translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation>Conflit</translation>
    </message>
    <message>
        <source>Gone</source>
        <translation>Disparu</translation>
    </message>
    <message>
        <source>Length Required</source>
        <translation>Longueur requise</translation>
    </message>
    <message>
        <source>Precondition Failed</source>
        <translation>Précondition échouée</translation>
    </message>
    <message>
        <source>Content Too Large</source>
        <translation>Contenu trop volumineux</translation>
    </message>
    <message>
        <source>URI Too Long</source>
        <translation>URI trop longue</translation>
    </message>
    <message>
        <source>Unsupported Media Type</source>
        <translation>Type de média non pris en charge</translation>
    </message>
    <message>
        <source>Range Not Satisfiable</source>
        <translation>Plage non satisfaisable</translation>
    </message>
    <message>
        <source>Expectation Failed</source>
        <translation>Attente non satisfaite</translation>
    </message>
    <message>
        <source>Misdirected Request</source>
        <translation>Requête mal dirigée</translation>
    </message>
    <message>
        <source>Unprocessable Content</source>
        <translation>Contenu impossible à traiter</translation>
    </message>
    <message>
        <source>Upgrade Required</source>
        <translation>Mise à niveau requise</translation>
    </message>
    <message>
        <source>Too Many Requests</source>
        <translation>Trop de requêtes</translation>
    </message>
    <message>
        <source>Unavailable For Legal Reasons</source>
        <translation>Indisponible pour raisons légales</translation>
    </message>
    <message>
        <source>Internal Server Error</source>
        <translation>Erreur interne du serveur</translation>
    </message>
    <message>
        <source>Not Implemented</source>
        <translation>Non implémenté</translation>
    </message>
    <message>
        <source>Bad Gateway</source>
        <translation>Mauvaise passerelle</translation>
    </message>
    <message>
        <source>Service Unavailable</source>
        <translation>Service indisponible</translation>
    </message>
    <message>
        <source>Gateway Timeout</source>
        <translation>Délai de la passerelle dépassé</translation>
    </message>
    <message>
        <source>HTTP Version Not Supported</source>
        <translation>Version HTTP non prise en charge</translation>
    </message>
    <message>
        <source>Network Authentication Required</source>
        <translation>Authentification réseau requise</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>status</comment>
        <extracomment>A status and its standard meaning: &quot;404, Not Found&quot;.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>the proxy %1 asks for a user name and password (it answered %2)</source>
        <translation>le proxy %1 demande un nom d&apos;utilisateur et un mot de passe (il a répondu %2)</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>le serveur a répondu %1</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2 before any of the archive arrived. The earlier archive, if any, is unchanged.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;.</extracomment>
        <translation>%1 n&apos;a pas pu être téléchargé&#xa0;: %2 avant que la moindre partie de l&apos;archive n&apos;arrive. L&apos;archive précédente, s&apos;il y en a une, reste inchangée.</translation>
    </message>
    <message>
        <source>%1 could not be saved: %2.</source>
        <translation>%1 n&apos;a pas pu être enregistré&#xa0;: %2.</translation>
    </message>
    <message>
        <source>could not be saved</source>
        <translation>n&apos;a pas pu être enregistré</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 has %3 free</source>
        <translation>il faut %1&#xa0;; le disque de %2 a %3 de libre</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 cannot hold a file that large</source>
        <translation>il faut %1&#xa0;; le disque de %2 ne peut pas contenir un fichier aussi grand</translation>
    </message>
    <message>
        <source>the server only speaks HTTP/2</source>
        <translation>le serveur ne parle que HTTP/2</translation>
    </message>
    <message>
        <source>the archive on the server is empty</source>
        <translation>l&apos;archive sur le serveur est vide</translation>
    </message>
    <message>
        <source>the proxy %1 did not accept the user name and password (it answered %2)</source>
        <translation>le proxy %1 n&apos;a pas accepté le nom d&apos;utilisateur et le mot de passe (il a répondu %2)</translation>
    </message>
    <message>
        <source>the proxy %1 answered %2 instead of the server</source>
        <translation>le proxy %1 a répondu %2 à la place du serveur</translation>
    </message>
    <message>
        <source>the answer through the proxy %1 was %2</source>
        <extracomment>&quot;the answer through the proxy http_proxy=http://127.0.0.1:3128 was 500, Internal Server Error&quot;</extracomment>
        <translation>la réponse passée par le proxy %1 était %2</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Download failed</source>
        <translation>Échec du téléchargement</translation>
    </message>
</context>
<context>
    <name>ProgressReadout</name>
    <message>
        <source>%1 s left</source>
        <translation>%1 s restantes</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>%1 min %2 s restantes</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>%1 h %2 min restantes</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>Joins the readings of a download&apos;s progress: the amount so far, the speed, the time left.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>stalled</source>
        <translation>bloqué</translation>
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
        <translation>Téléchargement de %1</translation>
    </message>
</context>
<context>
    <name>WindowDescription</name>
    <message>
        <source>Tool to download</source>
        <translation>Outil à télécharger</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Télécharger</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Fetches the archive of the tool picked in the list</source>
        <translation>Télécharge l&apos;archive de l&apos;outil choisi dans la liste</translation>
    </message>
    <message>
        <source>Stops the running download</source>
        <translation>Annule le téléchargement en cours</translation>
    </message>
    <message>
        <source>Shows who made the program</source>
        <translation>Indique qui a créé le programme</translation>
    </message>
    <message>
        <source>Ends the program at once</source>
        <translation>Quitte le programme immédiatement</translation>
    </message>
    <message>
        <source>VORN banner</source>
        <translation>Bannière VORN</translation>
    </message>
    <message>
        <source>DAVRIN</source>
        <translation>DAVRIN</translation>
    </message>
    <message>
        <source>Closes this window</source>
        <translation>Ferme cette fenêtre</translation>
    </message>
</context>
</TS>
