<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
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
        <translation>%1 de %2</translation>
    </message>
</context>
<context>
    <name>DoneNotifier</name>
    <message>
        <source>%1, verified, saved in %2</source>
        <translation>%1 verificados y guardados en %2</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 guardados en %2</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Mostrar en la carpeta</translation>
    </message>
    <message>
        <source>%1 downloaded</source>
        <translation>Descarga de %1 completada</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: the desktop has no file manager to show it.</source>
        <translation>No se pudo abrir la carpeta %1: el escritorio no tiene ningún gestor de archivos que la muestre.</translation>
    </message>
</context>
<context>
    <name>FailureMessage</name>
    <message>
        <source>the server&apos;s name was not found</source>
        <translation>no se encontró el nombre del servidor</translation>
    </message>
    <message>
        <source>could not reach the server</source>
        <translation>no se pudo conectar con el servidor</translation>
    </message>
    <message>
        <source>no answer from the server for %1 s</source>
        <translation>el servidor no respondió durante %1 s</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>el servidor cerró la conexión</translation>
    </message>
    <message>
        <source>the secure connection could not be set up</source>
        <translation>no se pudo establecer la conexión segura</translation>
    </message>
    <message>
        <source>the server redirected too many times</source>
        <translation>el servidor redirigió demasiadas veces</translation>
    </message>
    <message>
        <source>refused a redirect from a secure address to an insecure one</source>
        <translation>se rechazó una redirección de una dirección segura a una insegura</translation>
    </message>
    <message>
        <source>redirected to %1, which is not a web address it downloads from</source>
        <extracomment>%1 is where the redirect led, cut after its scheme: &quot;mailto:…&quot;.</extracomment>
        <translation>redirigido a %1, que no es una dirección web desde la que descarga</translation>
    </message>
    <message>
        <source>the server redirected to an address that cannot be used</source>
        <translation>el servidor redirigió a una dirección que no se puede usar</translation>
    </message>
    <message>
        <source>the server&apos;s answer could not be read</source>
        <translation>no se pudo leer la respuesta del servidor</translation>
    </message>
    <message>
        <source>the transfer failed</source>
        <translation>la transferencia falló</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A failure and the system&apos;s own few words on it, often in English: &quot;could not reach the server (Connection refused)&quot;.</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2.</source>
        <translation>No se pudo descargar %1: %2.</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.</source>
        <translation>No se pudo descargar %1: %2. El archivo comprimido anterior, si lo había, no ha cambiado.</translation>
    </message>
    <message>
        <source>the server ended the body</source>
        <translation>el servidor dio por terminado el envío</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 guardados en %2</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>cancelada</translation>
    </message>
    <message>
        <source>incomplete, %1 kept in %2</source>
        <translation>incompleta, %1 conservados en %2</translation>
    </message>
    <message>
        <source>could not be saved to %1</source>
        <translation>no se pudo guardar en %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>How the last download ended, after the tool&apos;s name: &quot;Vorn Scanner V1.40: 2.0 MiB saved in ~/Downloads&quot;.</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>the server&apos;s status line cannot be read</source>
        <translation>no se puede leer la línea de estado del servidor</translation>
    </message>
    <message>
        <source>the server&apos;s answer head is too large</source>
        <translation>la cabecera de la respuesta del servidor es demasiado grande</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot;</source>
        <extracomment>A failure and the server&apos;s own words it is about: the server&apos;s status line cannot be read: &quot;HTTP/1.1 2OO OK&quot;.</extracomment>
        <translation>%1: «%2»</translation>
    </message>
    <message>
        <source>%1 from the desktop&apos;s settings</source>
        <translation>%1 de la configuración del escritorio</translation>
    </message>
    <message>
        <source>the proxy setting %1 cannot be read</source>
        <translation>no se puede leer la configuración de proxy %1</translation>
    </message>
    <message>
        <source>the proxy&apos;s name in %1 was not found</source>
        <translation>no se encontró el nombre del proxy de %1</translation>
    </message>
    <message>
        <source>could not reach the proxy %1</source>
        <translation>no se pudo conectar con el proxy %1</translation>
    </message>
    <message>
        <source>the proxy %1 refused to open a connection to the server (it answered %2)</source>
        <translation>el proxy %1 se negó a abrir una conexión con el servidor (respondió %2)</translation>
    </message>
    <message>
        <source>the proxy %1 failed</source>
        <translation>el proxy %1 falló</translation>
    </message>
    <message>
        <source>The download of %1 is incomplete: %2 after %3.
The partial data is kept in %4.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;; %3 is how much arrived: &quot;293.0 of 878.9 KiB&quot;, or &quot;293.0 KiB&quot; when the size was never told.</extracomment>
        <translation>La descarga de %1 está incompleta: %2, tras %3.
Los datos parciales se conservan en %4.</translation>
    </message>
    <message>
        <source>%1 could not be saved to %2: %3.</source>
        <translation>No se pudo guardar %1 en %2: %3.</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a file</source>
        <translation>la configuración de certificados %1 no indica un archivo</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a folder</source>
        <translation>la configuración de certificados %1 no indica una carpeta</translation>
    </message>
    <message>
        <source>the certificates to trust could not be read from %1</source>
        <translation>no se pudieron leer los certificados de confianza desde %1</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not made out to its name</source>
        <translation>el certificado del servidor no está emitido a su nombre</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not from an issuer trusted here</source>
        <translation>el certificado del servidor no procede de un emisor de confianza aquí</translation>
    </message>
    <message>
        <source>the server&apos;s certificate has expired</source>
        <translation>el certificado del servidor ha caducado</translation>
    </message>
    <message>
        <source>the server sent no data</source>
        <translation>el servidor no envió datos</translation>
    </message>
    <message>
        <source>the server answered with status %1 instead of sending the archive</source>
        <translation>el servidor respondió con el estado %1 en lugar de enviar el archivo comprimido</translation>
    </message>
    <message>
        <source>the server sent the archive encoded (%1) although it was asked not to</source>
        <translation>el servidor envió el archivo comprimido codificado (%1) aunque se le pidió sin codificar</translation>
    </message>
    <message>
        <source>the server sent a web page instead of the archive</source>
        <translation>el servidor envió una página web en lugar del archivo comprimido</translation>
    </message>
    <message>
        <source>the server announced a size that cannot be right (&quot;%1&quot;)</source>
        <translation>el servidor anunció un tamaño que no puede ser correcto («%1»)</translation>
    </message>
    <message>
        <source>the server sent only part of the archive (&quot;%1&quot;)</source>
        <translation>el servidor solo envió una parte del archivo comprimido («%1»)</translation>
    </message>
    <message>
        <source>the server sent only part of the archive</source>
        <translation>el servidor solo envió una parte del archivo comprimido</translation>
    </message>
    <message>
        <source>the server sent the archive wrapped in parts (multipart/byteranges) instead of as it is</source>
        <translation>el servidor envió el archivo comprimido envuelto en partes (multipart/byteranges) en lugar de tal como es</translation>
    </message>
    <message>
        <source>the server did not say how large the whole archive is (it sent &quot;%1&quot;)</source>
        <translation>el servidor no dijo qué tamaño tiene el archivo comprimido entero (envió «%1»)</translation>
    </message>
    <message numerus="yes">
        <source>the server announced two different sizes: %1 bytes as its length and %2 in its range</source>
        <translation>
            <numerusform>el servidor anunció dos tamaños distintos: %1 byte como longitud y %2 en su rango</numerusform>
            <numerusform>el servidor anunció dos tamaños distintos: %1 bytes como longitud y %2 en su rango</numerusform>
        </translation>
    </message>
    <message>
        <source>the server gave a checksum of the archive that cannot be read</source>
        <translation>el servidor dio una suma de comprobación del archivo comprimido que no se puede leer</translation>
    </message>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation>
            <numerusform>el servidor envió más del %1 byte que había anunciado</numerusform>
            <numerusform>el servidor envió más de los %1 bytes que había anunciado</numerusform>
        </translation>
    </message>
    <message>
        <source>the archive did not match the checksum the server gave</source>
        <translation>el archivo comprimido no coincide con la suma de comprobación que dio el servidor</translation>
    </message>
    <message>
        <source>the folder to save in is unknown</source>
        <translation>se desconoce la carpeta en la que guardar</translation>
    </message>
    <message>
        <source>it is a link, and a download never writes through a link</source>
        <translation>es un enlace, y una descarga nunca escribe a través de un enlace</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>it belongs to another user, and a download only writes files of its own</source>
        <translation>pertenece a otro usuario, y una descarga solo escribe en archivos propios</translation>
    </message>
    <message>
        <source>it has other names as well (hard links), and a download never writes into such a file</source>
        <translation>tiene también otros nombres (enlaces duros), y una descarga nunca escribe en un archivo así</translation>
    </message>
    <message>
        <source>another download is writing this file</source>
        <translation>otra descarga está escribiendo en este archivo</translation>
    </message>
    <message>
        <source>someone changed the file as soon as it was opened</source>
        <translation>alguien modificó el archivo nada más abrirse</translation>
    </message>
    <message>
        <source>the file was changed while it was being written</source>
        <translation>el archivo se modificó mientras se escribía</translation>
    </message>
    <message numerus="yes">
        <source>the file was changed while it was being written (it holds %1 bytes, not %2)</source>
        <translation>
            <numerusform>el archivo se modificó mientras se escribía (contiene %1 byte, no %2)</numerusform>
            <numerusform>el archivo se modificó mientras se escribía (contiene %1 bytes, no %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>the file was replaced while it was being written</source>
        <translation>el archivo se sustituyó mientras se escribía</translation>
    </message>
    <message>
        <source>the file was given another name while it was being written</source>
        <translation>el archivo cambió de nombre mientras se escribía</translation>
    </message>
    <message>
        <source>the new archive is in place, but the system could not confirm that it is on the disk (%1)</source>
        <translation>el nuevo archivo comprimido está en su sitio, pero el sistema no pudo confirmar que esté guardado en el disco (%1)</translation>
    </message>
    <message>
        <source>there is no home folder to find the download folder in</source>
        <translation>no hay carpeta personal en la que buscar la carpeta de descargas</translation>
    </message>
    <message>
        <source>the download folder set in %1 is not an absolute path</source>
        <translation>la carpeta de descargas indicada en %1 no es una ruta absoluta</translation>
    </message>
    <message>
        <source>the name of the download folder set in %1 is not valid in the system&apos;s encoding of file names</source>
        <translation>el nombre de la carpeta de descargas indicada en %1 no es válido en la codificación de nombres de archivo del sistema</translation>
    </message>
    <message>
        <source>the download folder cannot be read from %1, which is not a regular file</source>
        <translation>no se puede leer la carpeta de descargas de %1, que no es un archivo normal</translation>
    </message>
    <message>
        <source>the folder could not be created (%1)</source>
        <translation>no se pudo crear la carpeta (%1)</translation>
    </message>
    <message>
        <source>Multiple Choices</source>
        <translation>Múltiples opciones</translation>
    </message>
    <message>
        <source>Moved Permanently</source>
        <translation>Movido permanentemente</translation>
    </message>
    <message>
        <source>Found</source>
        <translation>Encontrado</translation>
    </message>
    <message>
        <source>See Other</source>
        <translation>Ver otro</translation>
    </message>
    <message>
        <source>Not Modified</source>
        <translation>No modificado</translation>
    </message>
    <message>
        <source>Use Proxy</source>
        <translation>Usar proxy</translation>
    </message>
    <message>
        <source>Temporary Redirect</source>
        <translation>Redirección temporal</translation>
    </message>
    <message>
        <source>Permanent Redirect</source>
        <translation>Redirección permanente</translation>
    </message>
    <message>
        <source>Bad Request</source>
        <translation>Solicitud incorrecta</translation>
    </message>
    <message>
        <source>Unauthorized</source>
        <translation>No autorizado</translation>
    </message>
    <message>
        <source>Payment Required</source>
        <translation>Pago requerido</translation>
    </message>
    <message>
        <source>Forbidden</source>
        <translation>Prohibido</translation>
    </message>
    <message>
        <source>Not Found</source>
        <translation>No encontrado</translation>
    </message>
    <message>
        <source>Method Not Allowed</source>
        <translation>Método no permitido</translation>
    </message>
    <message>
        <source>Not Acceptable</source>
        <translation>No aceptable</translation>
    </message>
    <message>
        <source>Proxy Authentication Required</source>
        <translation>Se requiere autenticación del proxy</translation>
    </message>
    <message>
        <source>Request Timeout</source>
        <translation>Tiempo de espera de la solicitud agotado</translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation>Conflicto</translation>
    </message>
    <message>
        <source>Gone</source>
        <translation>Ya no existe</translation>
    </message>
    <message>
        <source>Length Required</source>
        <translation>Longitud requerida</translation>
    </message>
    <message>
        <source>Precondition Failed</source>
        <translation>Falló la condición previa</translation>
    </message>
    <message>
        <source>Content Too Large</source>
        <translation>Contenido demasiado grande</translation>
    </message>
    <message>
        <source>URI Too Long</source>
        <translation>URI demasiado larga</translation>
    </message>
    <message>
        <source>Unsupported Media Type</source>
        <translation>Tipo de medio no admitido</translation>
    </message>
    <message>
        <source>Range Not Satisfiable</source>
        <translation>Rango no satisfactorio</translation>
    </message>
    <message>
        <source>Expectation Failed</source>
        <translation>Falló la expectativa</translation>
    </message>
    <message>
        <source>Misdirected Request</source>
        <translation>Solicitud mal dirigida</translation>
    </message>
    <message>
        <source>Unprocessable Content</source>
        <translation>Contenido no procesable</translation>
    </message>
    <message>
        <source>Upgrade Required</source>
        <translation>Se requiere actualización</translation>
    </message>
    <message>
        <source>Too Many Requests</source>
        <translation>Demasiadas solicitudes</translation>
    </message>
    <message>
        <source>Unavailable For Legal Reasons</source>
        <translation>No disponible por motivos legales</translation>
    </message>
    <message>
        <source>Internal Server Error</source>
        <translation>Error interno del servidor</translation>
    </message>
    <message>
        <source>Not Implemented</source>
        <translation>No implementado</translation>
    </message>
    <message>
        <source>Bad Gateway</source>
        <translation>Puerta de enlace incorrecta</translation>
    </message>
    <message>
        <source>Service Unavailable</source>
        <translation>Servicio no disponible</translation>
    </message>
    <message>
        <source>Gateway Timeout</source>
        <translation>Tiempo de espera de la puerta de enlace agotado</translation>
    </message>
    <message>
        <source>HTTP Version Not Supported</source>
        <translation>Versión de HTTP no admitida</translation>
    </message>
    <message>
        <source>Network Authentication Required</source>
        <translation>Se requiere autenticación de red</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>status</comment>
        <extracomment>A status and its standard meaning: &quot;404, Not Found&quot;.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>the proxy %1 asks for a user name and password (it answered %2)</source>
        <translation>el proxy %1 pide un nombre de usuario y una contraseña (respondió %2)</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>el servidor respondió %1</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2 before any of the archive arrived. The earlier archive, if any, is unchanged.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;.</extracomment>
        <translation>No se pudo descargar %1: %2 antes de que llegara nada del archivo comprimido. El archivo comprimido anterior, si lo había, no ha cambiado.</translation>
    </message>
    <message>
        <source>%1 could not be saved: %2.</source>
        <translation>No se pudo guardar %1: %2.</translation>
    </message>
    <message>
        <source>could not be saved</source>
        <translation>no se pudo guardar</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 has %3 free</source>
        <translation>se necesitan %1; el disco de %2 tiene %3 libres</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 cannot hold a file that large</source>
        <translation>se necesitan %1; el disco de %2 no puede contener un archivo tan grande</translation>
    </message>
    <message>
        <source>the server only speaks HTTP/2</source>
        <translation>el servidor solo habla HTTP/2</translation>
    </message>
    <message>
        <source>the archive on the server is empty</source>
        <translation>el archivo comprimido en el servidor está vacío</translation>
    </message>
    <message>
        <source>the proxy %1 did not accept the user name and password (it answered %2)</source>
        <translation>el proxy %1 no aceptó el nombre de usuario y la contraseña (respondió %2)</translation>
    </message>
    <message>
        <source>the proxy %1 answered %2 instead of the server</source>
        <translation>el proxy %1 respondió %2 en lugar del servidor</translation>
    </message>
    <message>
        <source>the answer through the proxy %1 was %2</source>
        <extracomment>&quot;the answer through the proxy http_proxy=http://127.0.0.1:3128 was 500, Internal Server Error&quot;</extracomment>
        <translation>la respuesta a través del proxy %1 fue %2</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Download failed</source>
        <translation>Error en la descarga</translation>
    </message>
</context>
<context>
    <name>ProgressReadout</name>
    <message>
        <source>%1 s left</source>
        <translation>quedan %1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>quedan %1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>quedan %1 h %2 min</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>Joins the readings of a download&apos;s progress: the amount so far, the speed, the time left.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>stalled</source>
        <translation>estancada</translation>
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
        <translation>Descargando %1</translation>
    </message>
</context>
<context>
    <name>WindowDescription</name>
    <message>
        <source>Tool to download</source>
        <translation>Herramienta a descargar</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Descargar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progreso</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Fetches the archive of the tool picked in the list</source>
        <translation>Descarga el archivo comprimido de la herramienta elegida en la lista</translation>
    </message>
    <message>
        <source>Stops the running download</source>
        <translation>Cancela la descarga en curso</translation>
    </message>
    <message>
        <source>Shows who made the program</source>
        <translation>Muestra quién creó el programa</translation>
    </message>
    <message>
        <source>Ends the program at once</source>
        <translation>Cierra el programa de inmediato</translation>
    </message>
    <message>
        <source>VORN banner</source>
        <translation>Banner de VORN</translation>
    </message>
    <message>
        <source>DAVRIN</source>
        <translation>DAVRIN</translation>
    </message>
    <message>
        <source>Closes this window</source>
        <translation>Cierra esta ventana</translation>
    </message>
</context>
</TS>
