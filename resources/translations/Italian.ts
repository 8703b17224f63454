<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it" sourcelanguage="en">
<context>
    <name>AVAssembler</name>
    <message>
        <source>The recorded minutes are kept: the save will be offered again at the next start.</source>
        <translation>I minuti registrati sono conservati: il salvataggio verrà riproposto al prossimo avvio.</translation>
    </message>
</context>
<context>
    <name>AVRecorder</name>
    <message numerus="yes">
        <source>The disk is full: recording stopped; the last %n minutes are kept and will be saved when space is free.</source>
        <translation>
            <numerusform>Il disco è pieno: registrazione interrotta; l&apos;ultimo %n minuto è conservato e sarà salvato quando ci sarà spazio libero.</numerusform>
            <numerusform>Il disco è pieno: registrazione interrotta; gli ultimi %n minuti sono conservati e saranno salvati quando ci sarà spazio libero.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Recording stopped: the last %n minutes are kept and will be offered for saving at the next start.</source>
        <translation>
            <numerusform>Registrazione interrotta: l&apos;ultimo %n minuto è conservato e sarà proposto per il salvataggio al prossimo avvio.</numerusform>
            <numerusform>Registrazione interrotta: gli ultimi %n minuti sono conservati e saranno proposti per il salvataggio al prossimo avvio.</numerusform>
        </translation>
    </message>
    <message>
        <source>The sound server has gone away: recording goes on in silence, and the sound comes back when the server does.</source>
        <translation>Il server audio non è più disponibile: la registrazione continua in silenzio e l&apos;audio tornerà quando tornerà il server.</translation>
    </message>
    <message>
        <source>Only black is being recorded: this desktop does not let Brindlecast see what you chose. On a Wayland desktop, share the screen the region or monitor lies on when asked, or record the table window itself; or choose an X11 session when you log in.</source>
        <translation>Si sta registrando solo nero: questo desktop non lascia vedere a Brindlecast ciò che hai scelto. Su un desktop Wayland, condividi lo schermo su cui si trova l&apos;area o il monitor quando ti viene chiesto, oppure registra la finestra del tavolo stessa; oppure scegli una sessione X11 all&apos;accesso.</translation>
    </message>
</context>
<context>
    <name>AboutBox</name>
    <message>
        <source>About Brindlecast</source>
        <translation>Informazioni su Brindlecast</translation>
    </message>
    <message>
        <source>A poker screencast freeware coupled with a video sharing website</source>
        <translation>Un programma gratuito per registrare lo schermo al poker, abbinato a un sito di condivisione video</translation>
    </message>
    <message>
        <source>This software uses libraries from the FFmpeg project under the LGPLv2.1</source>
        <translation>Questo software utilizza librerie del progetto FFmpeg distribuite con licenza LGPLv2.1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>EditControlPage</name>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Riproduci</translation>
    </message>
    <message>
        <source>Play your hand</source>
        <translation>Riproduci la tua mano</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Replay</source>
        <translation>Ripeti</translation>
    </message>
    <message>
        <source>Reset marks</source>
        <translation>Azzera i marcatori</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Your hand</source>
        <translation>La tua mano</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titolo:</translation>
    </message>
    <message>
        <source>Save and upload</source>
        <translation>Salva e carica</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salva</translation>
    </message>
    <message>
        <source>Video title not provided correctly</source>
        <translation>Titolo del video non inserito correttamente</translation>
    </message>
    <message>
        <source>You have to provide at least 3 characters for the title of your video.</source>
        <translation>Il titolo del video deve contenere almeno 3 caratteri.</translation>
    </message>
</context>
<context>
    <name>EditedItemWidget</name>
    <message>
        <source>Added:</source>
        <translation>Aggiunto:</translation>
    </message>
    <message>
        <source>Edited:</source>
        <translation>Modificato:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Durata:</translation>
    </message>
    <message>
        <source>File size:</source>
        <translation>Dimensione file:</translation>
    </message>
    <message>
        <source>Links:</source>
        <translation>Link:</translation>
    </message>
    <message>
        <source>Not uploaded</source>
        <translation>Non caricato</translation>
    </message>
    <message>
        <source>Upload now</source>
        <translation>Carica ora</translation>
    </message>
    <message>
        <source>Activate now</source>
        <translation>Attiva ora</translation>
    </message>
    <message>
        <source>Public page</source>
        <translation>Pagina pubblica</translation>
    </message>
    <message>
        <source>Edit page</source>
        <translation>Pagina di modifica</translation>
    </message>
    <message>
        <source>Queued</source>
        <translation>In coda</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>Codifica in corso</translation>
    </message>
    <message>
        <source>Encoding %p%</source>
        <translation>Codifica %p%</translation>
    </message>
    <message>
        <source>Encode failed</source>
        <translation>Codifica non riuscita</translation>
    </message>
    <message>
        <source>Encoded</source>
        <translation>Codificato</translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation>Caricamento in corso</translation>
    </message>
    <message>
        <source>Uploading %p%</source>
        <translation>Caricamento %p%</translation>
    </message>
    <message>
        <source>Uploaded</source>
        <translation>Caricato</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Riprova</translation>
    </message>
    <message>
        <source>The upload failed: %1</source>
        <translation>Invio non riuscito: %1</translation>
    </message>
    <message>
        <source>Upload failed</source>
        <translation>Invio non riuscito</translation>
    </message>
    <message>
        <source>No web browser could be opened. Open this address in your browser to activate your video:</source>
        <translation>Non è stato possibile aprire un browser web. Apri questo indirizzo nel tuo browser per attivare il video:</translation>
    </message>
</context>
<context>
    <name>EditedPage</name>
    <message>
        <source>Edited videos (%1)</source>
        <translation>Video modificati (%1)</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Carica</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Elimina</translation>
    </message>
</context>
<context>
    <name>EditingItemWidget</name>
    <message>
        <source>Editing</source>
        <translation>In modifica</translation>
    </message>
    <message>
        <source>This video cannot be played: %1</source>
        <translation>Impossibile riprodurre questo video: %1</translation>
    </message>
</context>
<context>
    <name>EditingPage</name>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>This video cannot be played.</source>
        <translation>Impossibile riprodurre questo video.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a video file.</source>
        <translation>&apos;%1&apos; non è un file video.</translation>
    </message>
</context>
<context>
    <name>EncoderThread</name>
    <message>
        <source>Error while encoding video</source>
        <translation>Errore durante la codifica del video</translation>
    </message>
</context>
<context>
    <name>Follower</name>
    <message>
        <source>Open main window</source>
        <translation>Apri la finestra principale</translation>
    </message>
    <message>
        <source>Stop recording and close</source>
        <translation>Interrompi la registrazione e chiudi</translation>
    </message>
    <message>
        <source>Inside or above what is recorded</source>
        <translation>Dentro o sopra l&apos;area registrata</translation>
    </message>
    <message>
        <source>Drag along the edge</source>
        <translation>Trascina lungo il bordo</translation>
    </message>
</context>
<context>
    <name>LanguageDialog</name>
    <message>
        <source>Choose your language</source>
        <translation>Scegli la tua lingua</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>Can not delete file &apos;%1&apos;</source>
        <translation>Impossibile eliminare il file &apos;%1&apos;</translation>
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
        <translation>Brindlecast - Accesso</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Opzioni</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Lingua...</translation>
    </message>
    <message>
        <source>&amp;Network options...</source>
        <translation>Opzioni di &amp;rete...</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Email:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Remember my email</source>
        <translation>Ricorda la mia email</translation>
    </message>
    <message>
        <source>Remember my password</source>
        <translation>Ricorda la mia password</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>Accedi</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Create an Account</source>
        <translation>Crea un account</translation>
    </message>
    <message>
        <source>Forgot your password?</source>
        <translation>Password dimenticata?</translation>
    </message>
    <message>
        <source>Logging in...</source>
        <translation>Accesso in corso...</translation>
    </message>
    <message>
        <source>Email empty</source>
        <translation>Email non inserita</translation>
    </message>
    <message>
        <source>Password empty</source>
        <translation>Password non inserita</translation>
    </message>
    <message>
        <source>Internal user name communication error</source>
        <translation>Errore interno nella comunicazione del nome utente</translation>
    </message>
</context>
<context>
    <name>LoginRequest</name>
    <message>
        <source>Internal user name communication error</source>
        <translation>Errore interno nella comunicazione del nome utente</translation>
    </message>
    <message>
        <source>The service sent a user name that cannot be used: &quot;%1&quot;</source>
        <translation>Il servizio ha inviato un nome utente non utilizzabile: &quot;%1&quot;</translation>
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
        <translation>Disconnetti</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opzioni</translation>
    </message>
    <message>
        <source>Recorded (%1)</source>
        <translation>Registrati (%1)</translation>
    </message>
    <message>
        <source>Editing (%1)</source>
        <translation>In modifica (%1)</translation>
    </message>
    <message>
        <source>Edited (%1)</source>
        <translation>Modificati (%1)</translation>
    </message>
    <message>
        <source>You&apos;re logged in as</source>
        <translation>Sei connesso come</translation>
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
        <translation>Bonus</translation>
    </message>
    <message>
        <source>Videos</source>
        <translation>Video</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Confirm Exit</source>
        <translation>Conferma uscita</translation>
    </message>
    <message>
        <source>/faq</source>
        <translation>/faq</translation>
    </message>
    <message>
        <source>Brindlecast - Main Window</source>
        <translation>Brindlecast - Finestra principale</translation>
    </message>
    <message>
        <source>Log &amp;out</source>
        <translation>&amp;Disconnetti</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Mostra</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Esci</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Lingua...</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Opzioni...</translation>
    </message>
    <message>
        <source>&amp;Statistics...</source>
        <translation>&amp;Statistiche...</translation>
    </message>
    <message>
        <source>&amp;FAQ...</source>
        <translation>&amp;FAQ...</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;Informazioni...</translation>
    </message>
    <message>
        <source>&amp;Quick start...</source>
        <translation>&amp;Guida rapida...</translation>
    </message>
    <message>
        <source>&amp;Help...</source>
        <translation>&amp;Aiuto...</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Strumenti</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aiuto</translation>
    </message>
    <message>
        <source>Interrupted recording</source>
        <translation>Registrazione interrotta</translation>
    </message>
    <message>
        <source>A recording was interrupted. Save the last minutes?</source>
        <translation>Una registrazione è stata interrotta. Salvare gli ultimi minuti?</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n entries could be read and are kept.</source>
        <translation>
            <numerusform>%1: %n voce è stata letta ed è conservata.</numerusform>
            <numerusform>%1: %n voci sono state lette e sono conservate.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: the defaults apply.</source>
        <translation>%1: si applicano le impostazioni predefinite.</translation>
    </message>
    <message>
        <source>The damaged file is left as it is and will not be overwritten.</source>
        <translation>Il file danneggiato è lasciato com&apos;è e non sarà sovrascritto.</translation>
    </message>
    <message>
        <source>The damaged file is kept as %1.</source>
        <translation>Il file danneggiato è conservato come %1.</translation>
    </message>
    <message>
        <source>Damaged files</source>
        <translation>File danneggiati</translation>
    </message>
    <message>
        <source>Some of your files could not be read whole:</source>
        <translation>Alcuni dei tuoi file non sono stati letti per intero:</translation>
    </message>
    <message numerus="yes">
        <source>%n recordings were interrupted. Save the last minutes of each?</source>
        <translation>
            <numerusform>%n registrazione è stata interrotta. Salvare gli ultimi minuti?</numerusform>
            <numerusform>%n registrazioni sono state interrotte. Salvare gli ultimi minuti di ciascuna?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of the interrupted recordings could not be saved. They are kept and will be offered again at the next start.</source>
        <translation>
            <numerusform>%n delle registrazioni interrotte non è stata salvata. È conservata e sarà proposta di nuovo al prossimo avvio.</numerusform>
            <numerusform>%n delle registrazioni interrotte non sono state salvate. Sono conservate e saranno proposte di nuovo al prossimo avvio.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n recordings are running. Stop them? Their last minutes are kept and will be offered for saving at the next start.</source>
        <translation>
            <numerusform>%n registrazione è in corso. Interromperla? I suoi ultimi minuti sono conservati e saranno proposti per il salvataggio al prossimo avvio.</numerusform>
            <numerusform>%n registrazioni sono in corso. Interromperle? I loro ultimi minuti sono conservati e saranno proposti per il salvataggio al prossimo avvio.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Brindlecast - %n recordings ongoing</source>
        <translation>
            <numerusform>Brindlecast - %n registrazione in corso</numerusform>
            <numerusform>Brindlecast - %n registrazioni in corso</numerusform>
        </translation>
    </message>
    <message>
        <source>Brindlecast goes on running</source>
        <translation>Brindlecast resta attivo</translation>
    </message>
    <message>
        <source>This desktop has no tray, so the main window was minimised instead of closed. Brindlecast goes on running and recording your tables.

To bring the window back, use your desktop&apos;s window list or start Brindlecast again. To end Brindlecast, use File, Quit.</source>
        <translation>Questo desktop non ha un&apos;area di notifica, quindi la finestra principale è stata ridotta a icona invece di essere chiusa. Brindlecast resta attivo e continua a registrare i tuoi tavoli.

Per riaprire la finestra, usa l&apos;elenco delle finestre del desktop o avvia di nuovo Brindlecast. Per chiudere Brindlecast, usa File, Esci.</translation>
    </message>
    <message>
        <source>&amp;Recorder tool</source>
        <translation>Strumento di &amp;registrazione</translation>
    </message>
</context>
<context>
    <name>NetOptionsDialog</name>
    <message>
        <source>Network Options</source>
        <translation>Opzioni di rete</translation>
    </message>
    <message>
        <source>Do not use proxy</source>
        <translation>Non usare un proxy</translation>
    </message>
    <message>
        <source>Detect proxy automatically</source>
        <translation>Rileva automaticamente il proxy</translation>
    </message>
    <message>
        <source>Configure the proxy manually</source>
        <translation>Configura il proxy manualmente</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Porta</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Utente</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>The port is a number up to 65535.</source>
        <translation>La porta è un numero fino a 65535.</translation>
    </message>
    <message>
        <source>&lt;p style=&quot;font-family: Arial;font-size:9pt&quot;&gt;&lt;span style=&quot; font-weight:600;&quot;&gt;Note&lt;/span&gt;&lt;span&gt;: Changes are taken into the account only from the next start.&lt;/span&gt;&lt;/p&gt;</source>
        <translation>&lt;p style=&quot;font-family: Arial;font-size:9pt&quot;&gt;&lt;span style=&quot; font-weight:600;&quot;&gt;Nota&lt;/span&gt;&lt;span&gt;: le modifiche avranno effetto solo dal prossimo avvio.&lt;/span&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
</context>
<context>
    <name>NewUpdateNotifier</name>
    <message>
        <source>- New update</source>
        <translation>- Nuovo aggiornamento</translation>
    </message>
    <message>
        <source>Do you want to restart Brindlecast to install the update?</source>
        <translation>Vuoi riavviare Brindlecast per installare l&apos;aggiornamento?</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Riavvia</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Non ora</translation>
    </message>
</context>
<context>
    <name>NewVideoNotifier</name>
    <message>
        <source>- Saving video #%1</source>
        <translation>- Salvataggio del video #%1</translation>
    </message>
    <message>
        <source>Enter a title...</source>
        <translation>Inserisci un titolo...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Video saved</source>
        <translation>Video salvato</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>- Saving video</source>
        <translation>- Salvataggio del video</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Chiudi</translation>
    </message>
</context>
<context>
    <name>OptAudio</name>
    <message>
        <source>Audio recording options</source>
        <translation>Opzioni di registrazione audio</translation>
    </message>
    <message>
        <source>Record audio</source>
        <translation>Registra l&apos;audio</translation>
    </message>
    <message>
        <source>Use system configuration of audio recording devices</source>
        <translation>Usa la configurazione di sistema dei dispositivi di registrazione audio</translation>
    </message>
    <message>
        <source>Select your recording device:</source>
        <translation>Seleziona il dispositivo di registrazione:</translation>
    </message>
    <message>
        <source>Quick set volume</source>
        <translation>Regolazione rapida del volume</translation>
    </message>
    <message>
        <source>Note: &quot;stereo mix&quot; is a device recording audio from all sources of your system.</source>
        <translation>Nota: &quot;stereo mix&quot; è un dispositivo che registra l&apos;audio da tutte le sorgenti del sistema.</translation>
    </message>
    <message>
        <source>%1: volume %2 %, %3</source>
        <translation>%1: volume %2 %, %3</translation>
    </message>
    <message>
        <source>muted</source>
        <translation>disattivato</translation>
    </message>
    <message>
        <source>on</source>
        <translation>attivo</translation>
    </message>
</context>
<context>
    <name>OptDetection</name>
    <message>
        <source>Manage automatic detection</source>
        <translation>Gestione del rilevamento automatico</translation>
    </message>
    <message>
        <source>Brindlecast builds a personnal list of programs detected as Poker rooms. If you don&apos;t want a specific program to be automatically selected, you can uncheck it here.</source>
        <translation>Brindlecast crea un elenco personale dei programmi rilevati come poker room. Se non vuoi che un programma venga selezionato automaticamente, puoi deselezionarlo qui.</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>Processo</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Percorso</translation>
    </message>
    <message>
        <source>Recordable</source>
        <translation>Registrabile</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>Not listed</source>
        <translation>Non nell&apos;elenco</translation>
    </message>
</context>
<context>
    <name>OptGeneral</name>
    <message>
        <source>My account</source>
        <translation>Il mio account</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Lingua</translation>
    </message>
    <message>
        <source>Automatic startup and login</source>
        <translation>Avvio e accesso automatici</translation>
    </message>
    <message>
        <source>Edit profile</source>
        <translation>Modifica profilo</translation>
    </message>
</context>
<context>
    <name>OptRecording</name>
    <message>
        <source>Table selection mode</source>
        <translation>Modalità di selezione dei tavoli</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatica</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manuale</translation>
    </message>
    <message>
        <source>The easy way to record hands</source>
        <translation>Il modo più semplice per registrare le mani</translation>
    </message>
    <message>
        <source>Useful for Hand Histories or full screen recordings</source>
        <translation>Utile per le hand history o per le registrazioni a schermo intero</translation>
    </message>
    <message>
        <source>Automatically start the recording</source>
        <translation>Avvia automaticamente la registrazione</translation>
    </message>
    <message>
        <source>Maximum number of tables at the same time</source>
        <translation>Numero massimo di tavoli contemporanei</translation>
    </message>
    <message>
        <source>Select table from a list</source>
        <translation>Seleziona il tavolo da un elenco</translation>
    </message>
    <message>
        <source>Pop-up the selection tool whenever a new table is opened</source>
        <translation>Mostra lo strumento di selezione all&apos;apertura di ogni nuovo tavolo</translation>
    </message>
    <message>
        <source>Recording options</source>
        <translation>Opzioni di registrazione</translation>
    </message>
    <message>
        <source>Record the last</source>
        <translation>Registra gli ultimi</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>minuti</translation>
    </message>
    <message>
        <source>Automatically save a video on close of the table</source>
        <translation>Salva automaticamente un video alla chiusura del tavolo</translation>
    </message>
    <message>
        <source>Recorder display options</source>
        <translation>Opzioni di visualizzazione del registratore</translation>
    </message>
    <message>
        <source>Display stopwatch</source>
        <translation>Mostra il cronometro</translation>
    </message>
    <message>
        <source>Make the whole recorder transparent</source>
        <translation>Rendi trasparente l&apos;intero registratore</translation>
    </message>
    <message>
        <source>On this Wayland desktop a table is always recorded from its own picture: windows lying over it are not recorded.</source>
        <translation>Su questo desktop Wayland un tavolo viene sempre registrato dalla sua immagine: le finestre sopra di esso non vengono registrate.</translation>
    </message>
    <message>
        <source>Record what is drawn over the table, such as a tracker&apos;s display (when a compositing manager is running)</source>
        <translation>Registra ciò che è disegnato sopra il tavolo, come la visualizzazione di un tracker (quando è attivo un compositing manager)</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>Options</source>
        <translation>Opzioni</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Applica</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Generale</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>Impostazioni generali</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Registrazione</translation>
    </message>
    <message>
        <source>Recording Options</source>
        <translation>Opzioni di registrazione</translation>
    </message>
    <message>
        <source>Detection</source>
        <translation>Rilevamento</translation>
    </message>
    <message>
        <source>Table Detection</source>
        <translation>Rilevamento dei tavoli</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Audio Configuration</source>
        <translation>Configurazione audio</translation>
    </message>
</context>
<context>
    <name>PortalScreenCast</name>
    <message>
        <source>The desktop could not share the screen (%1)</source>
        <translation>Il desktop non ha potuto condividere lo schermo (%1)</translation>
    </message>
    <message>
        <source>This Wayland desktop offers no screen sharing (the ScreenCast desktop portal), so a region or a monitor cannot be recorded here. Tables can: choose the table&apos;s window instead.</source>
        <translation>Questo desktop Wayland non offre la condivisione dello schermo (il portale ScreenCast), quindi qui non si può registrare un&apos;area o un monitor. I tavoli sì: scegli invece la finestra del tavolo.</translation>
    </message>
    <message>
        <source>The desktop did not answer the request to share the screen</source>
        <translation>Il desktop non ha risposto alla richiesta di condividere lo schermo</translation>
    </message>
    <message>
        <source>Sharing the screen was refused, so the region or monitor cannot be recorded. Record again and allow Brindlecast to share the screen.</source>
        <translation>La condivisione dello schermo è stata rifiutata, quindi l&apos;area o il monitor non può essere registrato. Registra di nuovo e consenti a Brindlecast di condividere lo schermo.</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>failed to backup &apos;%1&apos; to &apos;%2&apos;</source>
        <translation>impossibile eseguire il backup di &apos;%1&apos; in &apos;%2&apos;</translation>
    </message>
    <message>
        <source>failed to move &apos;%1&apos; to &apos;%2&apos;</source>
        <translation>impossibile spostare &apos;%1&apos; in &apos;%2&apos;</translation>
    </message>
    <message>
        <source>failed to restore &apos;%1&apos; from &apos;%2&apos;</source>
        <translation>impossibile ripristinare &apos;%1&apos; da &apos;%2&apos;</translation>
    </message>
</context>
<context>
    <name>QuickStart</name>
    <message>
        <source>Show this screen at startup</source>
        <translation>Mostra questa schermata all&apos;avvio</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Brindlecast - Quick start</source>
        <translation>Brindlecast - Guida rapida</translation>
    </message>
    <message>
        <source>Quick start guide</source>
        <translation>Guida rapida</translation>
    </message>
</context>
<context>
    <name>RecordedItem</name>
    <message>
        <source>Video #%1</source>
        <translation>Video #%1</translation>
    </message>
</context>
<context>
    <name>RecordedItemWidget</name>
    <message>
        <source>Saving...</source>
        <translation>Salvataggio...</translation>
    </message>
    <message>
        <source>Added:</source>
        <translation>Aggiunto:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Durata:</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Modifica</translation>
    </message>
    <message>
        <source>Edit and upload this video</source>
        <translation>Modifica e carica questo video</translation>
    </message>
    <message>
        <source>Error while assembling video %1</source>
        <translation>Errore durante l&apos;assemblaggio del video %1</translation>
    </message>
    <message>
        <source>Error assembling</source>
        <translation>Errore di assemblaggio</translation>
    </message>
</context>
<context>
    <name>RecordedPage</name>
    <message>
        <source>Move to archive</source>
        <translation>Sposta in archivio</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Elimina</translation>
    </message>
    <message>
        <source>Pending videos (%1)</source>
        <translation>Video in attesa (%1)</translation>
    </message>
    <message>
        <source>Archived videos (%1)</source>
        <translation>Video archiviati (%1)</translation>
    </message>
    <message numerus="yes">
        <source>%n of the videos chosen are being encoded or wait to be: they are kept. Delete them once their edits are done.</source>
        <translation>
            <numerusform>%n dei video scelti è in codifica o in attesa: viene conservato. Eliminalo quando la sua modifica è finita.</numerusform>
            <numerusform>%n dei video scelti sono in codifica o in attesa: vengono conservati. Eliminali quando le loro modifiche sono finite.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecorderManager</name>
    <message>
        <source>Open main window</source>
        <translation>Apri la finestra principale</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Nascondi</translation>
    </message>
    <message>
        <source>Select a window</source>
        <translation>Seleziona una finestra</translation>
    </message>
    <message>
        <source>Select a region</source>
        <translation>Seleziona un&apos;area</translation>
    </message>
    <message>
        <source>Select a monitor</source>
        <translation>Seleziona un monitor</translation>
    </message>
</context>
<context>
    <name>RecorderWidget</name>
    <message>
        <source>Microphone on or off</source>
        <translation>Attiva o disattiva il microfono</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Registra</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Save the last recorded minutes</source>
        <translation>Salva gli ultimi minuti registrati</translation>
    </message>
    <message>
        <source>Nobody is logged in</source>
        <translation>Nessun utente connesso</translation>
    </message>
    <message>
        <source>Error while saving video</source>
        <translation>Errore durante il salvataggio del video</translation>
    </message>
    <message>
        <source>Saving error</source>
        <translation>Errore di salvataggio</translation>
    </message>
    <message>
        <source>Error while recording</source>
        <translation>Errore durante la registrazione</translation>
    </message>
    <message>
        <source>Recording error</source>
        <translation>Errore di registrazione</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Immagine</translation>
    </message>
</context>
<context>
    <name>RegionSniper</name>
    <message>
        <source>Drag over the area to record. Escape or a right click cancels.</source>
        <translation>Trascina sull&apos;area da registrare. Esc o un clic destro annulla.</translation>
    </message>
</context>
<context>
    <name>RequestRunner</name>
    <message>
        <source>Content error.</source>
        <translation>Errore nel contenuto.</translation>
    </message>
    <message>
        <source>Reached maximum number of retries.</source>
        <translation>Raggiunto il numero massimo di tentativi.</translation>
    </message>
    <message>
        <source>The request was cancelled.</source>
        <translation>La richiesta è stata annullata.</translation>
    </message>
    <message>
        <source>The connection was closed.</source>
        <translation>La connessione è stata chiusa.</translation>
    </message>
</context>
<context>
    <name>RestartCmd</name>
    <message>
        <source>Error while restarting.</source>
        <translation>Errore durante il riavvio.</translation>
    </message>
</context>
<context>
    <name>RoomConfirmForm</name>
    <message>
        <source>Please confirm the name of this Poker room.</source>
        <translation>Conferma il nome di questa poker room.</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Conferma</translation>
    </message>
    <message>
        <source>My room is not listed</source>
        <translation>La mia sala non è nell&apos;elenco</translation>
    </message>
    <message>
        <source>Record this program&apos;s tables without a room. You can choose its room later in Options, Detection.</source>
        <translation>Registra i tavoli di questo programma senza sala. Potrai scegliere la sala più tardi in Opzioni, Rilevamento.</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>Error</source>
        <translation>Errore</translation>
    </message>
    <message>
        <source>Can not access home directory</source>
        <translation>Impossibile accedere alla cartella home</translation>
    </message>
</context>
<context>
    <name>StatPage</name>
    <message>
        <source>Statistic</source>
        <translation>Statistiche</translation>
    </message>
    <message>
        <source>Total size on disk:</source>
        <translation>Spazio totale su disco:</translation>
    </message>
    <message>
        <source>Pending videos:</source>
        <translation>Video in attesa:</translation>
    </message>
    <message>
        <source>Archived videos:</source>
        <translation>Video archiviati:</translation>
    </message>
    <message>
        <source>Encoded videos:</source>
        <translation>Video codificati:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>SubWindowSniper</name>
    <message>
        <source>Select the window to record</source>
        <translation>Seleziona la finestra da registrare</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Registra</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
</context>
<context>
    <name>SuggestionBox</name>
    <message>
        <source>Suggestion</source>
        <translation>Suggerimenti</translation>
    </message>
    <message>
        <source>Your rooms</source>
        <translation>Le tue room</translation>
    </message>
</context>
<context>
    <name>Timeline</name>
    <message>
        <source>Beginning of your hand</source>
        <translation>Inizio della tua mano</translation>
    </message>
    <message>
        <source>End of your hand</source>
        <translation>Fine della tua mano</translation>
    </message>
</context>
<context>
    <name>UpdateCheckRequest</name>
    <message>
        <source>HTTP status code (%1)</source>
        <translation>Codice di stato HTTP (%1)</translation>
    </message>
    <message>
        <source>Error exchange format</source>
        <translation>Errore nel formato di scambio</translation>
    </message>
    <message>
        <source>Error exchange content</source>
        <translation>Errore nel contenuto dello scambio</translation>
    </message>
</context>
<context>
    <name>UpdateCmd</name>
    <message>
        <source>The request for administrator rights was dismissed.</source>
        <translation>La richiesta dei privilegi di amministratore è stata annullata.</translation>
    </message>
    <message>
        <source>The administrator rights to install the update were refused.</source>
        <translation>I privilegi di amministratore per installare l&apos;aggiornamento sono stati negati.</translation>
    </message>
    <message>
        <source>The installation ended with status %1.</source>
        <translation>L&apos;installazione è terminata con stato %1.</translation>
    </message>
    <message>
        <source>Error while installing the update, please try again later or install the latest version from &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Errore durante l&apos;installazione dell&apos;aggiornamento: riprova più tardi o installa l&apos;ultima versione da &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>The installation stopped unexpectedly.</source>
        <translation>L&apos;installazione si è interrotta in modo imprevisto.</translation>
    </message>
</context>
<context>
    <name>UpdateDownloadRequest</name>
    <message>
        <source>The update is not offered by %1.</source>
        <translation>L&apos;aggiornamento non è offerto da %1.</translation>
    </message>
    <message>
        <source>The downloaded update is empty.</source>
        <translation>L&apos;aggiornamento scaricato è vuoto.</translation>
    </message>
    <message>
        <source>The downloaded update does not match its checksum.</source>
        <translation>L&apos;aggiornamento scaricato non corrisponde al suo checksum.</translation>
    </message>
    <message>
        <source>The downloaded update is not a program for this computer.</source>
        <translation>L&apos;aggiornamento scaricato non è un programma per questo computer.</translation>
    </message>
    <message>
        <source>Error opening file &apos;%1&apos;</source>
        <translation>Errore durante l&apos;apertura del file &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Error writing to file &apos;%1&apos;</source>
        <translation>Errore durante la scrittura del file &apos;%1&apos;</translation>
    </message>
    <message>
        <source>The update was announced without a checksum, so it cannot be verified.</source>
        <translation>L&apos;aggiornamento è stato annunciato senza checksum, quindi non può essere verificato.</translation>
    </message>
    <message>
        <source>The service answered with the HTTP status %1 instead of the update.</source>
        <translation>Il servizio ha risposto con lo stato HTTP %1 invece dell&apos;aggiornamento.</translation>
    </message>
</context>
<context>
    <name>UpdateManager</name>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Initializing network...</source>
        <translation>Inizializzazione della rete...</translation>
    </message>
    <message>
        <source>Searching for new update...</source>
        <translation>Ricerca di nuovi aggiornamenti...</translation>
    </message>
    <message>
        <source>New version</source>
        <translation>Nuova versione</translation>
    </message>
    <message>
        <source>A new version is available &lt;a href=&quot;%1&quot;&gt;here&lt;/a&gt;.</source>
        <translation>È disponibile una nuova versione &lt;a href=&quot;%1&quot;&gt;qui&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>Error in update protocol.</source>
        <translation>Errore nel protocollo di aggiornamento.</translation>
    </message>
    <message>
        <source>New update</source>
        <translation>Nuovo aggiornamento</translation>
    </message>
    <message>
        <source>A new update is available, please click &apos;OK&apos; to download and install it.</source>
        <translation>È disponibile un nuovo aggiornamento: fai clic su &apos;OK&apos; per scaricarlo e installarlo.</translation>
    </message>
    <message>
        <source>Downloading new update...</source>
        <translation>Download del nuovo aggiornamento...</translation>
    </message>
    <message>
        <source>Error while downloading the update.</source>
        <translation>Errore durante il download dell&apos;aggiornamento.</translation>
    </message>
    <message>
        <source>Installing new update...</source>
        <translation>Installazione del nuovo aggiornamento...</translation>
    </message>
    <message>
        <source>1st update attempt failed</source>
        <translation>Primo tentativo di aggiornamento non riuscito</translation>
    </message>
    <message>
        <source>Update error</source>
        <translation>Errore di aggiornamento</translation>
    </message>
    <message>
        <source>%1&lt;br&gt;%2&lt;br&gt; Reason:&lt;br&gt;  %3</source>
        <translation>%1&lt;br&gt;%2&lt;br&gt; Motivo:&lt;br&gt;  %3</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Rete</translation>
    </message>
    <message>
        <source>The program file was not found.</source>
        <translation>Il file del programma non è stato trovato.</translation>
    </message>
    <message>
        <source>The service cannot be reached: this version goes on, and the check is made again later.</source>
        <translation>Il servizio non è raggiungibile: questa versione continua, il controllo sarà ripetuto più tardi.</translation>
    </message>
    <message>
        <source>This version goes on running. Please try again later or install the latest version from &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Questa versione continua a funzionare. Riprova più tardi o installa l&apos;ultima versione da &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</translation>
    </message>
</context>
<context>
    <name>UploadReply</name>
    <message>
        <source>Protocol &quot;%1&quot; is unknown</source>
        <translation>Protocollo &quot;%1&quot; sconosciuto</translation>
    </message>
    <message>
        <source>The file to upload could not be read: %1</source>
        <translation>Impossibile leggere il file da inviare: %1</translation>
    </message>
    <message>
        <source>Connection closed</source>
        <translation>Connessione chiusa</translation>
    </message>
    <message>
        <source>The service&apos;s answer is not HTTP.</source>
        <translation>La risposta del servizio non è HTTP.</translation>
    </message>
    <message>
        <source>The service answered %1 %2.</source>
        <translation>Il servizio ha risposto %1 %2.</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Operazione annullata</translation>
    </message>
</context>
<context>
    <name>User</name>
    <message>
        <source>Can not access user directory</source>
        <translation>Impossibile accedere alla cartella utente</translation>
    </message>
    <message>
        <source>Can not access tmp directory</source>
        <translation>Impossibile accedere alla cartella tmp</translation>
    </message>
    <message>
        <source>Can not access out directory</source>
        <translation>Impossibile accedere alla cartella out</translation>
    </message>
    <message>
        <source>Can not access recorded directory</source>
        <translation>Impossibile accedere alla cartella recorded</translation>
    </message>
    <message>
        <source>Can not access edited directory</source>
        <translation>Impossibile accedere alla cartella edited</translation>
    </message>
    <message>
        <source>Can not access thumbnail directory</source>
        <translation>Impossibile accedere alla cartella thumbnail</translation>
    </message>
</context>
<context>
    <name>VideoUploadRequest</name>
    <message>
        <source>Error opening file &apos;%1&apos;</source>
        <translation>Errore durante l&apos;apertura del file &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Internal upload protocol error</source>
        <translation>Errore interno del protocollo di caricamento</translation>
    </message>
    <message>
        <source>Unknown upload error</source>
        <translation>Errore di caricamento sconosciuto</translation>
    </message>
</context>
<context>
    <name>WaylandFrameSource</name>
    <message>
        <source>The desktop stopped sharing the screen (%1)</source>
        <translation>Il desktop ha smesso di condividere lo schermo (%1)</translation>
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
        <translation>La riga di comando non contiene il nome del programma.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Errore</translation>
    </message>
    <message>
        <source>Brindlecast - Error on exit</source>
        <translation>Brindlecast - Errore alla chiusura</translation>
    </message>
</context>
</TS>
