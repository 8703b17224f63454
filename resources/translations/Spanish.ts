<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>AVAssembler</name>
    <message>
        <source>The recorded minutes are kept: the save will be offered again at the next start.</source>
        <translation>Los minutos grabados se conservan: se volverá a ofrecer guardarlos en el próximo inicio.</translation>
    </message>
</context>
<context>
    <name>AVRecorder</name>
    <message numerus="yes">
        <source>The disk is full: recording stopped; the last %n minutes are kept and will be saved when space is free.</source>
        <translation>
            <numerusform>El disco está lleno: grabación detenida; el último %n minuto se conserva y se guardará cuando haya espacio libre.</numerusform>
            <numerusform>El disco está lleno: grabación detenida; los últimos %n minutos se conservan y se guardarán cuando haya espacio libre.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Recording stopped: the last %n minutes are kept and will be offered for saving at the next start.</source>
        <translation>
            <numerusform>Grabación detenida: el último %n minuto se conserva y se ofrecerá guardarlo en el próximo inicio.</numerusform>
            <numerusform>Grabación detenida: los últimos %n minutos se conservan y se ofrecerá guardarlos en el próximo inicio.</numerusform>
        </translation>
    </message>
    <message>
        <source>The sound server has gone away: recording goes on in silence, and the sound comes back when the server does.</source>
        <translation>El servidor de sonido ha desaparecido: la grabación continúa en silencio y el sonido volverá cuando vuelva el servidor.</translation>
    </message>
    <message>
        <source>Only black is being recorded: this desktop does not let Brindlecast see what you chose. On a Wayland desktop, share the screen the region or monitor lies on when asked, or record the table window itself; or choose an X11 session when you log in.</source>
        <translation>Solo se está grabando negro: este escritorio no deja que Brindlecast vea lo que eligió. En un escritorio Wayland, comparta la pantalla en la que está la región o el monitor cuando se le pida, o grabe la propia ventana de la mesa; o elija una sesión X11 al iniciar sesión.</translation>
    </message>
</context>
<context>
    <name>AboutBox</name>
    <message>
        <source>About Brindlecast</source>
        <translation>Acerca de Brindlecast</translation>
    </message>
    <message>
        <source>A poker screencast freeware coupled with a video sharing website</source>
        <translation>Un programa gratuito de grabación de pantalla para póker unido a un sitio web para compartir vídeos</translation>
    </message>
    <message>
        <source>This software uses libraries from the FFmpeg project under the LGPLv2.1</source>
        <translation>Este programa utiliza bibliotecas del proyecto FFmpeg bajo la licencia LGPLv2.1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>EditControlPage</name>
    <message>
        <source>Video</source>
        <translation>Vídeo</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Play your hand</source>
        <translation>Reproducir tu mano</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Replay</source>
        <translation>Repetir</translation>
    </message>
    <message>
        <source>Reset marks</source>
        <translation>Borrar marcas</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Your hand</source>
        <translation>Tu mano</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Título:</translation>
    </message>
    <message>
        <source>Save and upload</source>
        <translation>Guardar y subir</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Video title not provided correctly</source>
        <translation>Título del vídeo no válido</translation>
    </message>
    <message>
        <source>You have to provide at least 3 characters for the title of your video.</source>
        <translation>Debes escribir al menos 3 caracteres para el título de tu vídeo.</translation>
    </message>
</context>
<context>
    <name>EditedItemWidget</name>
    <message>
        <source>Added:</source>
        <translation>Añadido:</translation>
    </message>
    <message>
        <source>Edited:</source>
        <translation>Editado:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Duración:</translation>
    </message>
    <message>
        <source>File size:</source>
        <translation>Tamaño:</translation>
    </message>
    <message>
        <source>Links:</source>
        <translation>Enlaces:</translation>
    </message>
    <message>
        <source>Not uploaded</source>
        <translation>No subido</translation>
    </message>
    <message>
        <source>Upload now</source>
        <translation>Subir ahora</translation>
    </message>
    <message>
        <source>Activate now</source>
        <translation>Activar ahora</translation>
    </message>
    <message>
        <source>Public page</source>
        <translation>Página pública</translation>
    </message>
    <message>
        <source>Edit page</source>
        <translation>Página de edición</translation>
    </message>
    <message>
        <source>Queued</source>
        <translation>En cola</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>Codificando</translation>
    </message>
    <message>
        <source>Encoding %p%</source>
        <translation>Codificando %p%</translation>
    </message>
    <message>
        <source>Encode failed</source>
        <translation>Error al codificar</translation>
    </message>
    <message>
        <source>Encoded</source>
        <translation>Codificado</translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation>Subiendo</translation>
    </message>
    <message>
        <source>Uploading %p%</source>
        <translation>Subiendo %p%</translation>
    </message>
    <message>
        <source>Uploaded</source>
        <translation>Subido</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Reintentar</translation>
    </message>
    <message>
        <source>The upload failed: %1</source>
        <translation>El envío ha fallado: %1</translation>
    </message>
    <message>
        <source>Upload failed</source>
        <translation>Envío fallido</translation>
    </message>
    <message>
        <source>No web browser could be opened. Open this address in your browser to activate your video:</source>
        <translation>No se pudo abrir ningún navegador web. Abre esta dirección en tu navegador para activar tu vídeo:</translation>
    </message>
</context>
<context>
    <name>EditedPage</name>
    <message>
        <source>Edited videos (%1)</source>
        <translation>Vídeos editados (%1)</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Subir</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
</context>
<context>
    <name>EditingItemWidget</name>
    <message>
        <source>Editing</source>
        <translation>En edición</translation>
    </message>
    <message>
        <source>This video cannot be played: %1</source>
        <translation>Este vídeo no se puede reproducir: %1</translation>
    </message>
</context>
<context>
    <name>EditingPage</name>
    <message>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
    <message>
        <source>This video cannot be played.</source>
        <translation>Este vídeo no se puede reproducir.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a video file.</source>
        <translation>&apos;%1&apos; no es un archivo de vídeo.</translation>
    </message>
</context>
<context>
    <name>EncoderThread</name>
    <message>
        <source>Error while encoding video</source>
        <translation>Error al codificar el vídeo</translation>
    </message>
</context>
<context>
    <name>Follower</name>
    <message>
        <source>Open main window</source>
        <translation>Abrir la ventana principal</translation>
    </message>
    <message>
        <source>Stop recording and close</source>
        <translation>Detener la grabación y cerrar</translation>
    </message>
    <message>
        <source>Inside or above what is recorded</source>
        <translation>Dentro o encima de lo que se graba</translation>
    </message>
    <message>
        <source>Drag along the edge</source>
        <translation>Arrastrar a lo largo del borde</translation>
    </message>
</context>
<context>
    <name>LanguageDialog</name>
    <message>
        <source>Choose your language</source>
        <translation>Elige tu idioma</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>Can not delete file &apos;%1&apos;</source>
        <translation>No se puede eliminar el archivo &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
</context>
<context>
    <name>LoginDialog</name>
    <message>
        <source>Brindlecast - Login</source>
        <translation>Brindlecast - Inicio de sesión</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Opciones</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Idioma...</translation>
    </message>
    <message>
        <source>&amp;Network options...</source>
        <translation>Opciones de &amp;red...</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Correo electrónico:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Contraseña:</translation>
    </message>
    <message>
        <source>Remember my email</source>
        <translation>Recordar mi correo electrónico</translation>
    </message>
    <message>
        <source>Remember my password</source>
        <translation>Recordar mi contraseña</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>Iniciar sesión</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Create an Account</source>
        <translation>Crear una cuenta</translation>
    </message>
    <message>
        <source>Forgot your password?</source>
        <translation>¿Has olvidado tu contraseña?</translation>
    </message>
    <message>
        <source>Logging in...</source>
        <translation>Iniciando sesión...</translation>
    </message>
    <message>
        <source>Email empty</source>
        <translation>Correo electrónico vacío</translation>
    </message>
    <message>
        <source>Password empty</source>
        <translation>Contraseña vacía</translation>
    </message>
    <message>
        <source>Internal user name communication error</source>
        <translation>Error interno de comunicación del nombre de usuario</translation>
    </message>
</context>
<context>
    <name>LoginRequest</name>
    <message>
        <source>Internal user name communication error</source>
        <translation>Error interno de comunicación del nombre de usuario</translation>
    </message>
    <message>
        <source>The service sent a user name that cannot be used: &quot;%1&quot;</source>
        <translation>El servicio ha enviado un nombre de usuario que no se puede usar: &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>MainPage</name>
    <message>
        <source>/soft</source>
        <translation>/soft</translation>
    </message>
    <message>
        <source>Log out</source>
        <translation>Cerrar sesión</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opciones</translation>
    </message>
    <message>
        <source>Recorded (%1)</source>
        <translation>Grabados (%1)</translation>
    </message>
    <message>
        <source>Editing (%1)</source>
        <translation>En edición (%1)</translation>
    </message>
    <message>
        <source>Edited (%1)</source>
        <translation>Editados (%1)</translation>
    </message>
    <message>
        <source>You&apos;re logged in as</source>
        <translation>Has iniciado sesión como</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Manu</source>
        <translation>Manu</translation>
    </message>
    <message>
        <source>Bonus</source>
        <translation>Bonos</translation>
    </message>
    <message>
        <source>Videos</source>
        <translation>Vídeos</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Confirm Exit</source>
        <translation>Confirmar salida</translation>
    </message>
    <message>
        <source>/faq</source>
        <translation>/faq</translation>
    </message>
    <message>
        <source>Brindlecast - Main Window</source>
        <translation>Brindlecast - Ventana principal</translation>
    </message>
    <message>
        <source>Log &amp;out</source>
        <translation>&amp;Cerrar sesión</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Mostrar</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Idioma...</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Opciones...</translation>
    </message>
    <message>
        <source>&amp;Statistics...</source>
        <translation>&amp;Estadísticas...</translation>
    </message>
    <message>
        <source>&amp;FAQ...</source>
        <translation>&amp;Preguntas frecuentes...</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;Acerca de...</translation>
    </message>
    <message>
        <source>&amp;Quick start...</source>
        <translation>&amp;Inicio rápido...</translation>
    </message>
    <message>
        <source>&amp;Help...</source>
        <translation>A&amp;yuda...</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Herramientas</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;yuda</translation>
    </message>
    <message>
        <source>Interrupted recording</source>
        <translation>Grabación interrumpida</translation>
    </message>
    <message>
        <source>A recording was interrupted. Save the last minutes?</source>
        <translation>Se interrumpió una grabación. ¿Guardar los últimos minutos?</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n entries could be read and are kept.</source>
        <translation>
            <numerusform>%1: se pudo leer %n entrada y se conserva.</numerusform>
            <numerusform>%1: se pudieron leer %n entradas y se conservan.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: the defaults apply.</source>
        <translation>%1: se aplican los valores predeterminados.</translation>
    </message>
    <message>
        <source>The damaged file is left as it is and will not be overwritten.</source>
        <translation>El archivo dañado se deja tal cual y no se sobrescribirá.</translation>
    </message>
    <message>
        <source>The damaged file is kept as %1.</source>
        <translation>El archivo dañado se conserva como %1.</translation>
    </message>
    <message>
        <source>Damaged files</source>
        <translation>Archivos dañados</translation>
    </message>
    <message>
        <source>Some of your files could not be read whole:</source>
        <translation>Algunos de sus archivos no se pudieron leer por completo:</translation>
    </message>
    <message numerus="yes">
        <source>%n recordings were interrupted. Save the last minutes of each?</source>
        <translation>
            <numerusform>Se interrumpió %n grabación. ¿Guardar sus últimos minutos?</numerusform>
            <numerusform>Se interrumpieron %n grabaciones. ¿Guardar los últimos minutos de cada una?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of the interrupted recordings could not be saved. They are kept and will be offered again at the next start.</source>
        <translation>
            <numerusform>%n de las grabaciones interrumpidas no se pudo guardar. Se conserva y se ofrecerá de nuevo en el próximo inicio.</numerusform>
            <numerusform>%n de las grabaciones interrumpidas no se pudieron guardar. Se conservan y se ofrecerán de nuevo en el próximo inicio.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n recordings are running. Stop them? Their last minutes are kept and will be offered for saving at the next start.</source>
        <translation>
            <numerusform>Hay %n grabación en curso. ¿Detenerla? Sus últimos minutos se conservan y se ofrecerá guardarlos en el próximo inicio.</numerusform>
            <numerusform>Hay %n grabaciones en curso. ¿Detenerlas? Sus últimos minutos se conservan y se ofrecerá guardarlos en el próximo inicio.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Brindlecast - %n recordings ongoing</source>
        <translation>
            <numerusform>Brindlecast - %n grabación en curso</numerusform>
            <numerusform>Brindlecast - %n grabaciones en curso</numerusform>
        </translation>
    </message>
    <message>
        <source>Brindlecast goes on running</source>
        <translation>Brindlecast sigue funcionando</translation>
    </message>
    <message>
        <source>This desktop has no tray, so the main window was minimised instead of closed. Brindlecast goes on running and recording your tables.

To bring the window back, use your desktop&apos;s window list or start Brindlecast again. To end Brindlecast, use File, Quit.</source>
        <translation>Este escritorio no tiene bandeja, así que la ventana principal se ha minimizado en lugar de cerrarse. Brindlecast sigue funcionando y grabando tus mesas.

Para recuperar la ventana, usa la lista de ventanas de tu escritorio o inicia Brindlecast de nuevo. Para cerrar Brindlecast, usa Archivo, Salir.</translation>
    </message>
    <message>
        <source>&amp;Recorder tool</source>
        <translation>Herramienta de &amp;grabación</translation>
    </message>
</context>
<context>
    <name>NetOptionsDialog</name>
    <message>
        <source>Network Options</source>
        <translation>Opciones de red</translation>
    </message>
    <message>
        <source>Do not use proxy</source>
        <translation>No usar proxy</translation>
    </message>
    <message>
        <source>Detect proxy automatically</source>
        <translation>Detectar el proxy automáticamente</translation>
    </message>
    <message>
        <source>Configure the proxy manually</source>
        <translation>Configurar el proxy manualmente</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Servidor</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Puerto</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Usuario</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Contraseña</translation>
    </message>
    <message>
        <source>The port is a number up to 65535.</source>
        <translation>El puerto es un número de hasta 65535.</translation>
    </message>
    <message>
        <source>&lt;p style=&quot;font-family: Arial;font-size:9pt&quot;&gt;&lt;span style=&quot; font-weight:600;&quot;&gt;Note&lt;/span&gt;&lt;span&gt;: Changes are taken into the account only from the next start.&lt;/span&gt;&lt;/p&gt;</source>
        <translation>&lt;p style=&quot;font-family: Arial;font-size:9pt&quot;&gt;&lt;span style=&quot; font-weight:600;&quot;&gt;Nota&lt;/span&gt;&lt;span&gt;: Los cambios solo se aplicarán a partir del próximo inicio.&lt;/span&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>NewUpdateNotifier</name>
    <message>
        <source>- New update</source>
        <translation>- Nueva actualización</translation>
    </message>
    <message>
        <source>Do you want to restart Brindlecast to install the update?</source>
        <translation>¿Quieres reiniciar Brindlecast para instalar la actualización?</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Reiniciar</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Ahora no</translation>
    </message>
</context>
<context>
    <name>NewVideoNotifier</name>
    <message>
        <source>- Saving video #%1</source>
        <translation>- Guardando vídeo #%1</translation>
    </message>
    <message>
        <source>Enter a title...</source>
        <translation>Escribe un título...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Video saved</source>
        <translation>Vídeo guardado</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>- Saving video</source>
        <translation>- Guardando vídeo</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
</context>
<context>
    <name>OptAudio</name>
    <message>
        <source>Audio recording options</source>
        <translation>Opciones de grabación de audio</translation>
    </message>
    <message>
        <source>Record audio</source>
        <translation>Grabar audio</translation>
    </message>
    <message>
        <source>Use system configuration of audio recording devices</source>
        <translation>Usar la configuración del sistema para los dispositivos de grabación de audio</translation>
    </message>
    <message>
        <source>Select your recording device:</source>
        <translation>Selecciona tu dispositivo de grabación:</translation>
    </message>
    <message>
        <source>Quick set volume</source>
        <translation>Ajuste rápido del volumen</translation>
    </message>
    <message>
        <source>Note: &quot;stereo mix&quot; is a device recording audio from all sources of your system.</source>
        <translation>Nota: &quot;mezcla estéreo&quot; es un dispositivo que graba el audio de todas las fuentes de tu sistema.</translation>
    </message>
    <message>
        <source>%1: volume %2 %, %3</source>
        <translation>%1: volumen %2 %, %3</translation>
    </message>
    <message>
        <source>muted</source>
        <translation>silenciado</translation>
    </message>
    <message>
        <source>on</source>
        <translation>activado</translation>
    </message>
</context>
<context>
    <name>OptDetection</name>
    <message>
        <source>Manage automatic detection</source>
        <translation>Gestionar la detección automática</translation>
    </message>
    <message>
        <source>Brindlecast builds a personnal list of programs detected as Poker rooms. If you don&apos;t want a specific program to be automatically selected, you can uncheck it here.</source>
        <translation>Brindlecast crea una lista personal de programas detectados como salas de póker. Si no quieres que un programa concreto se seleccione automáticamente, puedes desmarcarlo aquí.</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>Proceso</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Ruta</translation>
    </message>
    <message>
        <source>Recordable</source>
        <translation>Grabable</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Sala</translation>
    </message>
    <message>
        <source>Not listed</source>
        <translation>No está en la lista</translation>
    </message>
</context>
<context>
    <name>OptGeneral</name>
    <message>
        <source>My account</source>
        <translation>Mi cuenta</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
    <message>
        <source>Automatic startup and login</source>
        <translation>Inicio y sesión automáticos</translation>
    </message>
    <message>
        <source>Edit profile</source>
        <translation>Editar perfil</translation>
    </message>
</context>
<context>
    <name>OptRecording</name>
    <message>
        <source>Table selection mode</source>
        <translation>Modo de selección de mesas</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automático</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>The easy way to record hands</source>
        <translation>La forma fácil de grabar manos</translation>
    </message>
    <message>
        <source>Useful for Hand Histories or full screen recordings</source>
        <translation>Útil para historiales de manos o grabaciones a pantalla completa</translation>
    </message>
    <message>
        <source>Automatically start the recording</source>
        <translation>Iniciar la grabación automáticamente</translation>
    </message>
    <message>
        <source>Maximum number of tables at the same time</source>
        <translation>Número máximo de mesas a la vez</translation>
    </message>
    <message>
        <source>Select table from a list</source>
        <translation>Seleccionar la mesa de una lista</translation>
    </message>
    <message>
        <source>Pop-up the selection tool whenever a new table is opened</source>
        <translation>Mostrar la herramienta de selección cada vez que se abra una mesa nueva</translation>
    </message>
    <message>
        <source>Recording options</source>
        <translation>Opciones de grabación</translation>
    </message>
    <message>
        <source>Record the last</source>
        <translation>Grabar los últimos</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>minuto(s)</translation>
    </message>
    <message>
        <source>Automatically save a video on close of the table</source>
        <translation>Guardar automáticamente un vídeo al cerrar la mesa</translation>
    </message>
    <message>
        <source>Recorder display options</source>
        <translation>Opciones de visualización de la grabadora</translation>
    </message>
    <message>
        <source>Display stopwatch</source>
        <translation>Mostrar el cronómetro</translation>
    </message>
    <message>
        <source>Make the whole recorder transparent</source>
        <translation>Hacer transparente toda la grabadora</translation>
    </message>
    <message>
        <source>On this Wayland desktop a table is always recorded from its own picture: windows lying over it are not recorded.</source>
        <translation>En este escritorio Wayland una mesa siempre se graba desde su propia imagen: las ventanas que estén encima no se graban.</translation>
    </message>
    <message>
        <source>Record what is drawn over the table, such as a tracker&apos;s display (when a compositing manager is running)</source>
        <translation>Grabar lo que se dibuja sobre la mesa, como la pantalla de un tracker (cuando hay un gestor de composición)</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>Options</source>
        <translation>Opciones</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplicar</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>Configuración general</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Grabación</translation>
    </message>
    <message>
        <source>Recording Options</source>
        <translation>Opciones de grabación</translation>
    </message>
    <message>
        <source>Detection</source>
        <translation>Detección</translation>
    </message>
    <message>
        <source>Table Detection</source>
        <translation>Detección de mesas</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Audio Configuration</source>
        <translation>Configuración de audio</translation>
    </message>
</context>
<context>
    <name>PortalScreenCast</name>
    <message>
        <source>The desktop could not share the screen (%1)</source>
        <translation>El escritorio no pudo compartir la pantalla (%1)</translation>
    </message>
    <message>
        <source>This Wayland desktop offers no screen sharing (the ScreenCast desktop portal), so a region or a monitor cannot be recorded here. Tables can: choose the table&apos;s window instead.</source>
        <translation>Este escritorio Wayland no ofrece compartir la pantalla (el portal ScreenCast), así que aquí no se puede grabar una región ni un monitor. Las mesas sí: elija la ventana de la mesa.</translation>
    </message>
    <message>
        <source>The desktop did not answer the request to share the screen</source>
        <translation>El escritorio no respondió a la solicitud de compartir la pantalla</translation>
    </message>
    <message>
        <source>Sharing the screen was refused, so the region or monitor cannot be recorded. Record again and allow Brindlecast to share the screen.</source>
        <translation>Se rechazó compartir la pantalla, así que la región o el monitor no se puede grabar. Grabe de nuevo y permita que Brindlecast comparta la pantalla.</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>failed to backup &apos;%1&apos; to &apos;%2&apos;</source>
        <translation>no se pudo hacer una copia de seguridad de &apos;%1&apos; en &apos;%2&apos;</translation>
    </message>
    <message>
        <source>failed to move &apos;%1&apos; to &apos;%2&apos;</source>
        <translation>no se pudo mover &apos;%1&apos; a &apos;%2&apos;</translation>
    </message>
    <message>
        <source>failed to restore &apos;%1&apos; from &apos;%2&apos;</source>
        <translation>no se pudo restaurar &apos;%1&apos; desde &apos;%2&apos;</translation>
    </message>
</context>
<context>
    <name>QuickStart</name>
    <message>
        <source>Show this screen at startup</source>
        <translation>Mostrar esta pantalla al iniciar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Brindlecast - Quick start</source>
        <translation>Brindlecast - Inicio rápido</translation>
    </message>
    <message>
        <source>Quick start guide</source>
        <translation>Guía de inicio rápido</translation>
    </message>
</context>
<context>
    <name>RecordedItem</name>
    <message>
        <source>Video #%1</source>
        <translation>Vídeo #%1</translation>
    </message>
</context>
<context>
    <name>RecordedItemWidget</name>
    <message>
        <source>Saving...</source>
        <translation>Guardando...</translation>
    </message>
    <message>
        <source>Added:</source>
        <translation>Añadido:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Duración:</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>Edit and upload this video</source>
        <translation>Editar y subir este vídeo</translation>
    </message>
    <message>
        <source>Error while assembling video %1</source>
        <translation>Error al montar el vídeo %1</translation>
    </message>
    <message>
        <source>Error assembling</source>
        <translation>Error de montaje</translation>
    </message>
</context>
<context>
    <name>RecordedPage</name>
    <message>
        <source>Move to archive</source>
        <translation>Archivar</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Pending videos (%1)</source>
        <translation>Vídeos pendientes (%1)</translation>
    </message>
    <message>
        <source>Archived videos (%1)</source>
        <translation>Vídeos archivados (%1)</translation>
    </message>
    <message numerus="yes">
        <source>%n of the videos chosen are being encoded or wait to be: they are kept. Delete them once their edits are done.</source>
        <translation>
            <numerusform>%n de los vídeos elegidos se está codificando o espera: se conserva. Bórralo cuando su edición termine.</numerusform>
            <numerusform>%n de los vídeos elegidos se están codificando o esperan: se conservan. Bórralos cuando sus ediciones terminen.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecorderManager</name>
    <message>
        <source>Open main window</source>
        <translation>Abrir la ventana principal</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ocultar</translation>
    </message>
    <message>
        <source>Select a window</source>
        <translation>Seleccionar una ventana</translation>
    </message>
    <message>
        <source>Select a region</source>
        <translation>Seleccionar una región</translation>
    </message>
    <message>
        <source>Select a monitor</source>
        <translation>Seleccionar un monitor</translation>
    </message>
</context>
<context>
    <name>RecorderWidget</name>
    <message>
        <source>Microphone on or off</source>
        <translation>Activar o desactivar el micrófono</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Save the last recorded minutes</source>
        <translation>Guardar los últimos minutos grabados</translation>
    </message>
    <message>
        <source>Nobody is logged in</source>
        <translation>No hay ningún usuario conectado</translation>
    </message>
    <message>
        <source>Error while saving video</source>
        <translation>Error al guardar el vídeo</translation>
    </message>
    <message>
        <source>Saving error</source>
        <translation>Error al guardar</translation>
    </message>
    <message>
        <source>Error while recording</source>
        <translation>Error durante la grabación</translation>
    </message>
    <message>
        <source>Recording error</source>
        <translation>Error de grabación</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sonido</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Imagen</translation>
    </message>
</context>
<context>
    <name>RegionSniper</name>
    <message>
        <source>Drag over the area to record. Escape or a right click cancels.</source>
        <translation>Arrastra sobre la zona que quieres grabar. Esc o un clic derecho cancela.</translation>
    </message>
</context>
<context>
    <name>RequestRunner</name>
    <message>
        <source>Content error.</source>
        <translation>Error de contenido.</translation>
    </message>
    <message>
        <source>Reached maximum number of retries.</source>
        <translation>Se ha alcanzado el número máximo de reintentos.</translation>
    </message>
    <message>
        <source>The request was cancelled.</source>
        <translation>Se ha cancelado la solicitud.</translation>
    </message>
    <message>
        <source>The connection was closed.</source>
        <translation>Se ha cerrado la conexión.</translation>
    </message>
</context>
<context>
    <name>RestartCmd</name>
    <message>
        <source>Error while restarting.</source>
        <translation>Error al reiniciar.</translation>
    </message>
</context>
<context>
    <name>RoomConfirmForm</name>
    <message>
        <source>Please confirm the name of this Poker room.</source>
        <translation>Confirma el nombre de esta sala de póker.</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Sala</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmar</translation>
    </message>
    <message>
        <source>My room is not listed</source>
        <translation>Mi sala no está en la lista</translation>
    </message>
    <message>
        <source>Record this program&apos;s tables without a room. You can choose its room later in Options, Detection.</source>
        <translation>Grabar las mesas de este programa sin sala. Podrás elegir su sala más tarde en Opciones, Detección.</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Can not access home directory</source>
        <translation>No se puede acceder a la carpeta personal</translation>
    </message>
</context>
<context>
    <name>StatPage</name>
    <message>
        <source>Statistic</source>
        <translation>Estadísticas</translation>
    </message>
    <message>
        <source>Total size on disk:</source>
        <translation>Tamaño total en disco:</translation>
    </message>
    <message>
        <source>Pending videos:</source>
        <translation>Vídeos pendientes:</translation>
    </message>
    <message>
        <source>Archived videos:</source>
        <translation>Vídeos archivados:</translation>
    </message>
    <message>
        <source>Encoded videos:</source>
        <translation>Vídeos codificados:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>SubWindowSniper</name>
    <message>
        <source>Select the window to record</source>
        <translation>Selecciona la ventana que quieres grabar</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>SuggestionBox</name>
    <message>
        <source>Suggestion</source>
        <translation>Sugerencia</translation>
    </message>
    <message>
        <source>Your rooms</source>
        <translation>Tus salas</translation>
    </message>
</context>
<context>
    <name>Timeline</name>
    <message>
        <source>Beginning of your hand</source>
        <translation>Inicio de tu mano</translation>
    </message>
    <message>
        <source>End of your hand</source>
        <translation>Final de tu mano</translation>
    </message>
</context>
<context>
    <name>UpdateCheckRequest</name>
    <message>
        <source>HTTP status code (%1)</source>
        <translation>Código de estado HTTP (%1)</translation>
    </message>
    <message>
        <source>Error exchange format</source>
        <translation>Error en el formato del intercambio</translation>
    </message>
    <message>
        <source>Error exchange content</source>
        <translation>Error en el contenido del intercambio</translation>
    </message>
</context>
<context>
    <name>UpdateCmd</name>
    <message>
        <source>The request for administrator rights was dismissed.</source>
        <translation>Se ha descartado la solicitud de permisos de administrador.</translation>
    </message>
    <message>
        <source>The administrator rights to install the update were refused.</source>
        <translation>Se han denegado los permisos de administrador para instalar la actualización.</translation>
    </message>
    <message>
        <source>The installation ended with status %1.</source>
        <translation>La instalación ha terminado con el estado %1.</translation>
    </message>
    <message>
        <source>Error while installing the update, please try again later or install the latest version from &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Error al instalar la actualización. Inténtalo de nuevo más tarde o instala la última versión desde &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>The installation stopped unexpectedly.</source>
        <translation>La instalación se ha detenido de forma inesperada.</translation>
    </message>
</context>
<context>
    <name>UpdateDownloadRequest</name>
    <message>
        <source>The update is not offered by %1.</source>
        <translation>%1 no ofrece la actualización.</translation>
    </message>
    <message>
        <source>The downloaded update is empty.</source>
        <translation>La actualización descargada está vacía.</translation>
    </message>
    <message>
        <source>The downloaded update does not match its checksum.</source>
        <translation>La actualización descargada no coincide con su suma de comprobación.</translation>
    </message>
    <message>
        <source>The downloaded update is not a program for this computer.</source>
        <translation>La actualización descargada no es un programa para este ordenador.</translation>
    </message>
    <message>
        <source>Error opening file &apos;%1&apos;</source>
        <translation>Error al abrir el archivo &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Error writing to file &apos;%1&apos;</source>
        <translation>Error al escribir en el archivo &apos;%1&apos;</translation>
    </message>
    <message>
        <source>The update was announced without a checksum, so it cannot be verified.</source>
        <translation>La actualización se anunció sin suma de comprobación, así que no se puede verificar.</translation>
    </message>
    <message>
        <source>The service answered with the HTTP status %1 instead of the update.</source>
        <translation>El servicio respondió con el estado HTTP %1 en lugar de la actualización.</translation>
    </message>
</context>
<context>
    <name>UpdateManager</name>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Initializing network...</source>
        <translation>Iniciando la red...</translation>
    </message>
    <message>
        <source>Searching for new update...</source>
        <translation>Buscando una nueva actualización...</translation>
    </message>
    <message>
        <source>New version</source>
        <translation>Nueva versión</translation>
    </message>
    <message>
        <source>A new version is available &lt;a href=&quot;%1&quot;&gt;here&lt;/a&gt;.</source>
        <translation>Hay una nueva versión disponible &lt;a href=&quot;%1&quot;&gt;aquí&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>Error in update protocol.</source>
        <translation>Error en el protocolo de actualización.</translation>
    </message>
    <message>
        <source>New update</source>
        <translation>Nueva actualización</translation>
    </message>
    <message>
        <source>A new update is available, please click &apos;OK&apos; to download and install it.</source>
        <translation>Hay una nueva actualización disponible; haz clic en &apos;Aceptar&apos; para descargarla e instalarla.</translation>
    </message>
    <message>
        <source>Downloading new update...</source>
        <translation>Descargando la nueva actualización...</translation>
    </message>
    <message>
        <source>Error while downloading the update.</source>
        <translation>Error al descargar la actualización.</translation>
    </message>
    <message>
        <source>Installing new update...</source>
        <translation>Instalando la nueva actualización...</translation>
    </message>
    <message>
        <source>1st update attempt failed</source>
        <translation>Falló el primer intento de actualización</translation>
    </message>
    <message>
        <source>Update error</source>
        <translation>Error de actualización</translation>
    </message>
    <message>
        <source>%1&lt;br&gt;%2&lt;br&gt; Reason:&lt;br&gt;  %3</source>
        <translation>%1&lt;br&gt;%2&lt;br&gt; Motivo:&lt;br&gt;  %3</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>The program file was not found.</source>
        <translation>No se ha encontrado el archivo del programa.</translation>
    </message>
    <message>
        <source>The service cannot be reached: this version goes on, and the check is made again later.</source>
        <translation>No se puede contactar con el servicio: esta versión continúa y la comprobación se repetirá más tarde.</translation>
    </message>
    <message>
        <source>This version goes on running. Please try again later or install the latest version from &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Esta versión sigue funcionando. Inténtelo más tarde o instale la última versión desde &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</translation>
    </message>
</context>
<context>
    <name>UploadReply</name>
    <message>
        <source>Protocol &quot;%1&quot; is unknown</source>
        <translation>Protocolo &quot;%1&quot; desconocido</translation>
    </message>
    <message>
        <source>The file to upload could not be read: %1</source>
        <translation>No se pudo leer el archivo que se envía: %1</translation>
    </message>
    <message>
        <source>Connection closed</source>
        <translation>Conexión cerrada</translation>
    </message>
    <message>
        <source>The service&apos;s answer is not HTTP.</source>
        <translation>La respuesta del servicio no es HTTP.</translation>
    </message>
    <message>
        <source>The service answered %1 %2.</source>
        <translation>El servicio respondió %1 %2.</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Operación cancelada</translation>
    </message>
</context>
<context>
    <name>User</name>
    <message>
        <source>Can not access user directory</source>
        <translation>No se puede acceder a la carpeta del usuario</translation>
    </message>
    <message>
        <source>Can not access tmp directory</source>
        <translation>No se puede acceder a la carpeta temporal</translation>
    </message>
    <message>
        <source>Can not access out directory</source>
        <translation>No se puede acceder a la carpeta de salida</translation>
    </message>
    <message>
        <source>Can not access recorded directory</source>
        <translation>No se puede acceder a la carpeta de vídeos grabados</translation>
    </message>
    <message>
        <source>Can not access edited directory</source>
        <translation>No se puede acceder a la carpeta de vídeos editados</translation>
    </message>
    <message>
        <source>Can not access thumbnail directory</source>
        <translation>No se puede acceder a la carpeta de miniaturas</translation>
    </message>
</context>
<context>
    <name>VideoUploadRequest</name>
    <message>
        <source>Error opening file &apos;%1&apos;</source>
        <translation>Error al abrir el archivo &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Internal upload protocol error</source>
        <translation>Error interno del protocolo de subida</translation>
    </message>
    <message>
        <source>Unknown upload error</source>
        <translation>Error de subida desconocido</translation>
    </message>
</context>
<context>
    <name>WaylandFrameSource</name>
    <message>
        <source>The desktop stopped sharing the screen (%1)</source>
        <translation>El escritorio dejó de compartir la pantalla (%1)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>%1 Reason:&lt;br&gt;%2</source>
        <translation>%1 Motivo:&lt;br&gt;%2</translation>
    </message>
    <message>
        <source>The command line holds no program name.</source>
        <translation>La línea de comandos no contiene el nombre del programa.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Brindlecast - Error on exit</source>
        <translation>Brindlecast - Error al salir</translation>
    </message>
</context>
</TS>
