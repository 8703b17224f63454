<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>AVAssembler</name>
    <message>
        <source>The recorded minutes are kept: the save will be offered again at the next start.</source>
        <translation>Les minutes enregistrées sont conservées : la sauvegarde sera proposée à nouveau au prochain démarrage.</translation>
    </message>
</context>
<context>
    <name>AVRecorder</name>
    <message numerus="yes">
        <source>The disk is full: recording stopped; the last %n minutes are kept and will be saved when space is free.</source>
        <translation>
            <numerusform>Le disque est plein : l&apos;enregistrement est arrêté ; la dernière %n minute est conservée et sera enregistrée quand de la place sera libérée.</numerusform>
            <numerusform>Le disque est plein : l&apos;enregistrement est arrêté ; les %n dernières minutes sont conservées et seront enregistrées quand de la place sera libérée.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Recording stopped: the last %n minutes are kept and will be offered for saving at the next start.</source>
        <translation>
            <numerusform>Enregistrement arrêté : la dernière %n minute est conservée et vous sera proposée au prochain démarrage.</numerusform>
            <numerusform>Enregistrement arrêté : les %n dernières minutes sont conservées et vous seront proposées au prochain démarrage.</numerusform>
        </translation>
    </message>
    <message>
        <source>The sound server has gone away: recording goes on in silence, and the sound comes back when the server does.</source>
        <translation>Le serveur de son a disparu : l&apos;enregistrement continue en silence, et le son reviendra avec le serveur.</translation>
    </message>
    <message>
        <source>Only black is being recorded: this desktop does not let Brindlecast see what you chose. On a Wayland desktop, share the screen the region or monitor lies on when asked, or record the table window itself; or choose an X11 session when you log in.</source>
        <translation>Seul du noir est enregistré : ce bureau ne laisse pas Brindlecast voir ce que vous avez choisi. Sur un bureau Wayland, partagez l&apos;écran où se trouve la zone ou le moniteur quand on vous le demande, ou enregistrez la fenêtre de la table elle-même ; ou choisissez une session X11 à la connexion.</translation>
    </message>
</context>
<context>
    <name>AboutBox</name>
    <message>
        <source>About Brindlecast</source>
        <translation>À propos de Brindlecast</translation>
    </message>
    <message>
        <source>A poker screencast freeware coupled with a video sharing website</source>
        <translation>Un logiciel gratuit de screencast poker couplé à un site de partage de vidéos</translation>
    </message>
    <message>
        <source>This software uses libraries from the FFmpeg project under the LGPLv2.1</source>
        <translation>Ce logiciel utilise des bibliothèques du projet FFmpeg sous licence LGPLv2.1</translation>
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
        <translation>Vidéo</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Play your hand</source>
        <translation>Lire votre main</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Replay</source>
        <translation>Revoir</translation>
    </message>
    <message>
        <source>Reset marks</source>
        <translation>Effacer les repères</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Your hand</source>
        <translation>Votre main</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titre :</translation>
    </message>
    <message>
        <source>Save and upload</source>
        <translation>Sauvegarder et envoyer</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Sauvegarder</translation>
    </message>
    <message>
        <source>Video title not provided correctly</source>
        <translation>Titre de la vidéo incorrect</translation>
    </message>
    <message>
        <source>You have to provide at least 3 characters for the title of your video.</source>
        <translation>Le titre de votre vidéo doit contenir au moins 3 caractères.</translation>
    </message>
</context>
<context>
    <name>EditedItemWidget</name>
    <message>
        <source>Added:</source>
        <translation>Ajoutée le :</translation>
    </message>
    <message>
        <source>Edited:</source>
        <translation>Éditée le :</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Durée :</translation>
    </message>
    <message>
        <source>File size:</source>
        <translation>Taille du fichier :</translation>
    </message>
    <message>
        <source>Links:</source>
        <translation>Liens :</translation>
    </message>
    <message>
        <source>Not uploaded</source>
        <translation>Non envoyée</translation>
    </message>
    <message>
        <source>Upload now</source>
        <translation>Envoyer maintenant</translation>
    </message>
    <message>
        <source>Activate now</source>
        <translation>Activer maintenant</translation>
    </message>
    <message>
        <source>Public page</source>
        <translation>Page publique</translation>
    </message>
    <message>
        <source>Edit page</source>
        <translation>Page d&apos;édition</translation>
    </message>
    <message>
        <source>Queued</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>Encodage</translation>
    </message>
    <message>
        <source>Encoding %p%</source>
        <translation>Encodage %p %</translation>
    </message>
    <message>
        <source>Encode failed</source>
        <translation>Échec de l&apos;encodage</translation>
    </message>
    <message>
        <source>Encoded</source>
        <translation>Encodée</translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation>Envoi en cours</translation>
    </message>
    <message>
        <source>Uploading %p%</source>
        <translation>Envoi %p %</translation>
    </message>
    <message>
        <source>Uploaded</source>
        <translation>Envoyée</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>The upload failed: %1</source>
        <translation>L&apos;envoi a échoué : %1</translation>
    </message>
    <message>
        <source>Upload failed</source>
        <translation>Échec de l&apos;envoi</translation>
    </message>
    <message>
        <source>No web browser could be opened. Open this address in your browser to activate your video:</source>
        <translation>Aucun navigateur web n&apos;a pu être ouvert. Ouvrez cette adresse dans votre navigateur pour activer votre vidéo :</translation>
    </message>
</context>
<context>
    <name>EditedPage</name>
    <message>
        <source>Edited videos (%1)</source>
        <translation>Vidéos éditées (%1)</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Envoyer</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
</context>
<context>
    <name>EditingItemWidget</name>
    <message>
        <source>Editing</source>
        <translation>Édition</translation>
    </message>
    <message>
        <source>This video cannot be played: %1</source>
        <translation>Impossible de lire cette vidéo : %1</translation>
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
        <translation>Impossible de lire cette vidéo.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a video file.</source>
        <translation>« %1 » n&apos;est pas un fichier vidéo.</translation>
    </message>
</context>
<context>
    <name>EncoderThread</name>
    <message>
        <source>Error while encoding video</source>
        <translation>Erreur lors de l&apos;encodage de la vidéo</translation>
    </message>
</context>
<context>
    <name>Follower</name>
    <message>
        <source>Open main window</source>
        <translation>Ouvrir la fenêtre principale</translation>
    </message>
    <message>
        <source>Stop recording and close</source>
        <translation>Arrêter l&apos;enregistrement et fermer</translation>
    </message>
    <message>
        <source>Inside or above what is recorded</source>
        <translation>À l&apos;intérieur ou au-dessus de la zone enregistrée</translation>
    </message>
    <message>
        <source>Drag along the edge</source>
        <translation>Faire glisser le long du bord</translation>
    </message>
</context>
<context>
    <name>LanguageDialog</name>
    <message>
        <source>Choose your language</source>
        <translation>Choisissez votre langue</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>Can not delete file &apos;%1&apos;</source>
        <translation>Impossible de supprimer le fichier &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 Mo</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 Go</translation>
    </message>
</context>
<context>
    <name>LoginDialog</name>
    <message>
        <source>Brindlecast - Login</source>
        <translation>Brindlecast - Connexion</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Langue...</translation>
    </message>
    <message>
        <source>&amp;Network options...</source>
        <translation>Options &amp;réseau...</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-mail :</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Mot de passe :</translation>
    </message>
    <message>
        <source>Remember my email</source>
        <translation>Mémoriser mon e-mail</translation>
    </message>
    <message>
        <source>Remember my password</source>
        <translation>Mémoriser mon mot de passe</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>Se connecter</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Create an Account</source>
        <translation>Créer un compte</translation>
    </message>
    <message>
        <source>Forgot your password?</source>
        <translation>Mot de passe oublié ?</translation>
    </message>
    <message>
        <source>Logging in...</source>
        <translation>Connexion en cours...</translation>
    </message>
    <message>
        <source>Email empty</source>
        <translation>E-mail non renseigné</translation>
    </message>
    <message>
        <source>Password empty</source>
        <translation>Mot de passe non renseigné</translation>
    </message>
    <message>
        <source>Internal user name communication error</source>
        <translation>Erreur interne de transmission du nom d&apos;utilisateur</translation>
    </message>
</context>
<context>
    <name>LoginRequest</name>
    <message>
        <source>Internal user name communication error</source>
        <translation>Erreur interne de transmission du nom d&apos;utilisateur</translation>
    </message>
    <message>
        <source>The service sent a user name that cannot be used: &quot;%1&quot;</source>
        <translation>Le service a envoyé un nom d&apos;utilisateur inutilisable : &quot;%1&quot;</translation>
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
        <translation>Se déconnecter</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Recorded (%1)</source>
        <translation>Enregistrées (%1)</translation>
    </message>
    <message>
        <source>Editing (%1)</source>
        <translation>En édition (%1)</translation>
    </message>
    <message>
        <source>Edited (%1)</source>
        <translation>Éditées (%1)</translation>
    </message>
    <message>
        <source>You&apos;re logged in as</source>
        <translation>Vous êtes connecté en tant que</translation>
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
        <translation>Vidéos</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Confirm Exit</source>
        <translation>Confirmer la fermeture</translation>
    </message>
    <message>
        <source>/faq</source>
        <translation>/faq</translation>
    </message>
    <message>
        <source>Brindlecast - Main Window</source>
        <translation>Brindlecast - Fenêtre principale</translation>
    </message>
    <message>
        <source>Log &amp;out</source>
        <translation>Se &amp;déconnecter</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Afficher</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Langue...</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>&amp;Statistics...</source>
        <translation>&amp;Statistiques...</translation>
    </message>
    <message>
        <source>&amp;FAQ...</source>
        <translation>&amp;FAQ...</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>À &amp;propos...</translation>
    </message>
    <message>
        <source>&amp;Quick start...</source>
        <translation>&amp;Démarrage rapide...</translation>
    </message>
    <message>
        <source>&amp;Help...</source>
        <translation>&amp;Aide...</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Outils</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Interrupted recording</source>
        <translation>Enregistrement interrompu</translation>
    </message>
    <message>
        <source>A recording was interrupted. Save the last minutes?</source>
        <translation>Un enregistrement a été interrompu. Sauvegarder les dernières minutes ?</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n entries could be read and are kept.</source>
        <translation>
            <numerusform>%1 : %n entrée a pu être lue et est conservée.</numerusform>
            <numerusform>%1 : %n entrées ont pu être lues et sont conservées.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: the defaults apply.</source>
        <translation>%1 : les réglages par défaut s&apos;appliquent.</translation>
    </message>
    <message>
        <source>The damaged file is left as it is and will not be overwritten.</source>
        <translation>Le fichier endommagé est laissé tel quel et ne sera pas écrasé.</translation>
    </message>
    <message>
        <source>The damaged file is kept as %1.</source>
        <translation>Le fichier endommagé est conservé sous %1.</translation>
    </message>
    <message>
        <source>Damaged files</source>
        <translation>Fichiers endommagés</translation>
    </message>
    <message>
        <source>Some of your files could not be read whole:</source>
        <translation>Certains de vos fichiers n&apos;ont pas pu être lus entièrement :</translation>
    </message>
    <message numerus="yes">
        <source>%n recordings were interrupted. Save the last minutes of each?</source>
        <translation>
            <numerusform>%n enregistrement a été interrompu. Enregistrer ses dernières minutes ?</numerusform>
            <numerusform>%n enregistrements ont été interrompus. Enregistrer les dernières minutes de chacun ?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of the interrupted recordings could not be saved. They are kept and will be offered again at the next start.</source>
        <translation>
            <numerusform>%n des enregistrements interrompus n&apos;a pas pu être enregistré. Il est conservé et vous sera proposé de nouveau au prochain démarrage.</numerusform>
            <numerusform>%n des enregistrements interrompus n&apos;ont pas pu être enregistrés. Ils sont conservés et vous seront proposés de nouveau au prochain démarrage.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n recordings are running. Stop them? Their last minutes are kept and will be offered for saving at the next start.</source>
        <translation>
            <numerusform>%n enregistrement est en cours. L&apos;arrêter ? Ses dernières minutes sont conservées et vous seront proposées au prochain démarrage.</numerusform>
            <numerusform>%n enregistrements sont en cours. Les arrêter ? Leurs dernières minutes sont conservées et vous seront proposées au prochain démarrage.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Brindlecast - %n recordings ongoing</source>
        <translation>
            <numerusform>Brindlecast - %n enregistrement en cours</numerusform>
            <numerusform>Brindlecast - %n enregistrements en cours</numerusform>
        </translation>
    </message>
    <message>
        <source>Brindlecast goes on running</source>
        <translation>Brindlecast continue de tourner</translation>
    </message>
    <message>
        <source>This desktop has no tray, so the main window was minimised instead of closed. Brindlecast goes on running and recording your tables.

To bring the window back, use your desktop&apos;s window list or start Brindlecast again. To end Brindlecast, use File, Quit.</source>
        <translation>Ce bureau n&apos;a pas de zone de notification : la fenêtre principale a donc été réduite au lieu d&apos;être fermée. Brindlecast continue de tourner et d&apos;enregistrer vos tables.

Pour faire revenir la fenêtre, utilisez la liste des fenêtres de votre bureau ou lancez Brindlecast à nouveau. Pour arrêter Brindlecast, utilisez Fichier, Quitter.</translation>
    </message>
    <message>
        <source>&amp;Recorder tool</source>
        <translation>Outil d&apos;&amp;enregistrement</translation>
    </message>
</context>
<context>
    <name>NetOptionsDialog</name>
    <message>
        <source>Network Options</source>
        <translation>Options réseau</translation>
    </message>
    <message>
        <source>Do not use proxy</source>
        <translation>Ne pas utiliser de proxy</translation>
    </message>
    <message>
        <source>Detect proxy automatically</source>
        <translation>Détecter le proxy automatiquement</translation>
    </message>
    <message>
        <source>Configure the proxy manually</source>
        <translation>Configurer le proxy manuellement</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Hôte</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Utilisateur</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>The port is a number up to 65535.</source>
        <translation>Le port est un nombre inférieur ou égal à 65535.</translation>
    </message>
    <message>
        <source>&lt;p style=&quot;font-family: Arial;font-size:9pt&quot;&gt;&lt;span style=&quot; font-weight:600;&quot;&gt;Note&lt;/span&gt;&lt;span&gt;: Changes are taken into the account only from the next start.&lt;/span&gt;&lt;/p&gt;</source>
        <translation>&lt;p style=&quot;font-family: Arial;font-size:9pt&quot;&gt;&lt;span style=&quot; font-weight:600;&quot;&gt;Remarque&lt;/span&gt;&lt;span&gt; : les modifications ne seront prises en compte qu&apos;au prochain démarrage.&lt;/span&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>NewUpdateNotifier</name>
    <message>
        <source>- New update</source>
        <translation>- Nouvelle mise à jour</translation>
    </message>
    <message>
        <source>Do you want to restart Brindlecast to install the update?</source>
        <translation>Voulez-vous redémarrer Brindlecast pour installer la mise à jour ?</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Redémarrer</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Plus tard</translation>
    </message>
</context>
<context>
    <name>NewVideoNotifier</name>
    <message>
        <source>- Saving video #%1</source>
        <translation>- Sauvegarde de la vidéo n° %1</translation>
    </message>
    <message>
        <source>Enter a title...</source>
        <translation>Saisissez un titre...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Video saved</source>
        <translation>Vidéo sauvegardée</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>- Saving video</source>
        <translation>- Sauvegarde de la vidéo</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>OptAudio</name>
    <message>
        <source>Audio recording options</source>
        <translation>Options d&apos;enregistrement audio</translation>
    </message>
    <message>
        <source>Record audio</source>
        <translation>Enregistrer le son</translation>
    </message>
    <message>
        <source>Use system configuration of audio recording devices</source>
        <translation>Utiliser la configuration système des périphériques d&apos;enregistrement audio</translation>
    </message>
    <message>
        <source>Select your recording device:</source>
        <translation>Sélectionnez votre périphérique d&apos;enregistrement :</translation>
    </message>
    <message>
        <source>Quick set volume</source>
        <translation>Réglage rapide du volume</translation>
    </message>
    <message>
        <source>Note: &quot;stereo mix&quot; is a device recording audio from all sources of your system.</source>
        <translation>Remarque : &quot;stereo mix&quot; (mixage stéréo) est un périphérique qui enregistre le son de toutes les sources de votre système.</translation>
    </message>
    <message>
        <source>%1: volume %2 %, %3</source>
        <translation>%1 : volume %2 %, %3</translation>
    </message>
    <message>
        <source>muted</source>
        <translation>coupé</translation>
    </message>
    <message>
        <source>on</source>
        <translation>activé</translation>
    </message>
</context>
<context>
    <name>OptDetection</name>
    <message>
        <source>Manage automatic detection</source>
        <translation>Gérer la détection automatique</translation>
    </message>
    <message>
        <source>Brindlecast builds a personnal list of programs detected as Poker rooms. If you don&apos;t want a specific program to be automatically selected, you can uncheck it here.</source>
        <translation>Brindlecast établit une liste personnelle des programmes détectés comme salles de poker. Si vous ne voulez pas qu&apos;un programme soit sélectionné automatiquement, vous pouvez le décocher ici.</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>Processus</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>Recordable</source>
        <translation>Enregistrable</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Salle</translation>
    </message>
    <message>
        <source>Not listed</source>
        <translation>Pas dans la liste</translation>
    </message>
</context>
<context>
    <name>OptGeneral</name>
    <message>
        <source>My account</source>
        <translation>Mon compte</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>Automatic startup and login</source>
        <translation>Démarrage et connexion automatiques</translation>
    </message>
    <message>
        <source>Edit profile</source>
        <translation>Modifier le profil</translation>
    </message>
</context>
<context>
    <name>OptRecording</name>
    <message>
        <source>Table selection mode</source>
        <translation>Mode de sélection des tables</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatique</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manuel</translation>
    </message>
    <message>
        <source>The easy way to record hands</source>
        <translation>La façon la plus simple d&apos;enregistrer vos mains</translation>
    </message>
    <message>
        <source>Useful for Hand Histories or full screen recordings</source>
        <translation>Utile pour les historiques de mains ou les enregistrements en plein écran</translation>
    </message>
    <message>
        <source>Automatically start the recording</source>
        <translation>Démarrer l&apos;enregistrement automatiquement</translation>
    </message>
    <message>
        <source>Maximum number of tables at the same time</source>
        <translation>Nombre maximum de tables simultanées</translation>
    </message>
    <message>
        <source>Select table from a list</source>
        <translation>Sélectionner la table dans une liste</translation>
    </message>
    <message>
        <source>Pop-up the selection tool whenever a new table is opened</source>
        <translation>Afficher l&apos;outil de sélection à chaque ouverture d&apos;une nouvelle table</translation>
    </message>
    <message>
        <source>Recording options</source>
        <translation>Options d&apos;enregistrement</translation>
    </message>
    <message>
        <source>Record the last</source>
        <translation>Enregistrer les dernières</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>minute(s)</translation>
    </message>
    <message>
        <source>Automatically save a video on close of the table</source>
        <translation>Sauvegarder automatiquement une vidéo à la fermeture de la table</translation>
    </message>
    <message>
        <source>Recorder display options</source>
        <translation>Options d&apos;affichage de l&apos;enregistreur</translation>
    </message>
    <message>
        <source>Display stopwatch</source>
        <translation>Afficher le chronomètre</translation>
    </message>
    <message>
        <source>Make the whole recorder transparent</source>
        <translation>Rendre tout l&apos;enregistreur transparent</translation>
    </message>
    <message>
        <source>On this Wayland desktop a table is always recorded from its own picture: windows lying over it are not recorded.</source>
        <translation>Sur ce bureau Wayland, une table est toujours enregistrée à partir de sa propre image : les fenêtres posées dessus ne sont pas enregistrées.</translation>
    </message>
    <message>
        <source>Record what is drawn over the table, such as a tracker&apos;s display (when a compositing manager is running)</source>
        <translation>Enregistrer ce qui est dessiné par-dessus la table, comme l&apos;affichage d&apos;un tracker (quand un gestionnaire de composition tourne)</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>Paramètres généraux</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Enregistrement</translation>
    </message>
    <message>
        <source>Recording Options</source>
        <translation>Options d&apos;enregistrement</translation>
    </message>
    <message>
        <source>Detection</source>
        <translation>Détection</translation>
    </message>
    <message>
        <source>Table Detection</source>
        <translation>Détection des tables</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Audio Configuration</source>
        <translation>Configuration audio</translation>
    </message>
</context>
<context>
    <name>PortalScreenCast</name>
    <message>
        <source>The desktop could not share the screen (%1)</source>
        <translation>Le bureau n&apos;a pas pu partager l&apos;écran (%1)</translation>
    </message>
    <message>
        <source>This Wayland desktop offers no screen sharing (the ScreenCast desktop portal), so a region or a monitor cannot be recorded here. Tables can: choose the table&apos;s window instead.</source>
        <translation>Ce bureau Wayland n&apos;offre pas de partage d&apos;écran (le portail ScreenCast), une zone ou un moniteur ne peut donc pas être enregistré ici. Les tables le peuvent : choisissez plutôt la fenêtre de la table.</translation>
    </message>
    <message>
        <source>The desktop did not answer the request to share the screen</source>
        <translation>Le bureau n&apos;a pas répondu à la demande de partage de l&apos;écran</translation>
    </message>
    <message>
        <source>Sharing the screen was refused, so the region or monitor cannot be recorded. Record again and allow Brindlecast to share the screen.</source>
        <translation>Le partage de l&apos;écran a été refusé, la zone ou le moniteur ne peut donc pas être enregistré. Relancez l&apos;enregistrement et autorisez Brindlecast à partager l&apos;écran.</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>failed to backup &apos;%1&apos; to &apos;%2&apos;</source>
        <translation>impossible de sauvegarder &apos;%1&apos; vers &apos;%2&apos;</translation>
    </message>
    <message>
        <source>failed to move &apos;%1&apos; to &apos;%2&apos;</source>
        <translation>impossible de déplacer &apos;%1&apos; vers &apos;%2&apos;</translation>
    </message>
    <message>
        <source>failed to restore &apos;%1&apos; from &apos;%2&apos;</source>
        <translation>impossible de restaurer &apos;%1&apos; depuis &apos;%2&apos;</translation>
    </message>
</context>
<context>
    <name>QuickStart</name>
    <message>
        <source>Show this screen at startup</source>
        <translation>Afficher cet écran au démarrage</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Brindlecast - Quick start</source>
        <translation>Brindlecast - Démarrage rapide</translation>
    </message>
    <message>
        <source>Quick start guide</source>
        <translation>Guide de démarrage rapide</translation>
    </message>
</context>
<context>
    <name>RecordedItem</name>
    <message>
        <source>Video #%1</source>
        <translation>Vidéo n° %1</translation>
    </message>
</context>
<context>
    <name>RecordedItemWidget</name>
    <message>
        <source>Saving...</source>
        <translation>Sauvegarde...</translation>
    </message>
    <message>
        <source>Added:</source>
        <translation>Ajoutée le :</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Durée :</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Éditer</translation>
    </message>
    <message>
        <source>Edit and upload this video</source>
        <translation>Éditer et envoyer cette vidéo</translation>
    </message>
    <message>
        <source>Error while assembling video %1</source>
        <translation>Erreur lors de l&apos;assemblage de la vidéo %1</translation>
    </message>
    <message>
        <source>Error assembling</source>
        <translation>Erreur d&apos;assemblage</translation>
    </message>
</context>
<context>
    <name>RecordedPage</name>
    <message>
        <source>Move to archive</source>
        <translation>Archiver</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Pending videos (%1)</source>
        <translation>Vidéos en attente (%1)</translation>
    </message>
    <message>
        <source>Archived videos (%1)</source>
        <translation>Vidéos archivées (%1)</translation>
    </message>
    <message numerus="yes">
        <source>%n of the videos chosen are being encoded or wait to be: they are kept. Delete them once their edits are done.</source>
        <translation>
            <numerusform>%n des vidéos choisies est en cours d&apos;encodage ou l&apos;attend : elle est gardée. Supprimez-la une fois son montage terminé.</numerusform>
            <numerusform>%n des vidéos choisies sont en cours d&apos;encodage ou l&apos;attendent : elles sont gardées. Supprimez-les une fois leurs montages terminés.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecorderManager</name>
    <message>
        <source>Open main window</source>
        <translation>Ouvrir la fenêtre principale</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer</translation>
    </message>
    <message>
        <source>Select a window</source>
        <translation>Sélectionner une fenêtre</translation>
    </message>
    <message>
        <source>Select a region</source>
        <translation>Sélectionner une zone</translation>
    </message>
    <message>
        <source>Select a monitor</source>
        <translation>Sélectionner un écran</translation>
    </message>
</context>
<context>
    <name>RecorderWidget</name>
    <message>
        <source>Microphone on or off</source>
        <translation>Activer ou couper le micro</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Save the last recorded minutes</source>
        <translation>Sauvegarder les dernières minutes enregistrées</translation>
    </message>
    <message>
        <source>Nobody is logged in</source>
        <translation>Aucun utilisateur connecté</translation>
    </message>
    <message>
        <source>Error while saving video</source>
        <translation>Erreur lors de la sauvegarde de la vidéo</translation>
    </message>
    <message>
        <source>Saving error</source>
        <translation>Erreur de sauvegarde</translation>
    </message>
    <message>
        <source>Error while recording</source>
        <translation>Erreur lors de l&apos;enregistrement</translation>
    </message>
    <message>
        <source>Recording error</source>
        <translation>Erreur d&apos;enregistrement</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Son</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Image</translation>
    </message>
</context>
<context>
    <name>RegionSniper</name>
    <message>
        <source>Drag over the area to record. Escape or a right click cancels.</source>
        <translation>Faites glisser sur la zone à enregistrer. Échap ou un clic droit annule.</translation>
    </message>
</context>
<context>
    <name>RequestRunner</name>
    <message>
        <source>Content error.</source>
        <translation>Erreur de contenu.</translation>
    </message>
    <message>
        <source>Reached maximum number of retries.</source>
        <translation>Nombre maximum de tentatives atteint.</translation>
    </message>
    <message>
        <source>The request was cancelled.</source>
        <translation>La requête a été annulée.</translation>
    </message>
    <message>
        <source>The connection was closed.</source>
        <translation>La connexion a été fermée.</translation>
    </message>
</context>
<context>
    <name>RestartCmd</name>
    <message>
        <source>Error while restarting.</source>
        <translation>Erreur lors du redémarrage.</translation>
    </message>
</context>
<context>
    <name>RoomConfirmForm</name>
    <message>
        <source>Please confirm the name of this Poker room.</source>
        <translation>Veuillez confirmer le nom de cette salle de poker.</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Salle</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmer</translation>
    </message>
    <message>
        <source>My room is not listed</source>
        <translation>Ma salle n&apos;est pas dans la liste</translation>
    </message>
    <message>
        <source>Record this program&apos;s tables without a room. You can choose its room later in Options, Detection.</source>
        <translation>Enregistrer les tables de ce logiciel sans salle. Vous pourrez choisir sa salle plus tard dans Options, Détection.</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Can not access home directory</source>
        <translation>Impossible d&apos;accéder au dossier personnel</translation>
    </message>
</context>
<context>
    <name>StatPage</name>
    <message>
        <source>Statistic</source>
        <translation>Statistiques</translation>
    </message>
    <message>
        <source>Total size on disk:</source>
        <translation>Taille totale sur le disque :</translation>
    </message>
    <message>
        <source>Pending videos:</source>
        <translation>Vidéos en attente :</translation>
    </message>
    <message>
        <source>Archived videos:</source>
        <translation>Vidéos archivées :</translation>
    </message>
    <message>
        <source>Encoded videos:</source>
        <translation>Vidéos encodées :</translation>
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
        <translation>Sélectionnez la fenêtre à enregistrer</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>SuggestionBox</name>
    <message>
        <source>Suggestion</source>
        <translation>Suggestion</translation>
    </message>
    <message>
        <source>Your rooms</source>
        <translation>Vos salles</translation>
    </message>
</context>
<context>
    <name>Timeline</name>
    <message>
        <source>Beginning of your hand</source>
        <translation>Début de votre main</translation>
    </message>
    <message>
        <source>End of your hand</source>
        <translation>Fin de votre main</translation>
    </message>
</context>
<context>
    <name>UpdateCheckRequest</name>
    <message>
        <source>HTTP status code (%1)</source>
        <translation>Code de statut HTTP (%1)</translation>
    </message>
    <message>
        <source>Error exchange format</source>
        <translation>Erreur de format d&apos;échange</translation>
    </message>
    <message>
        <source>Error exchange content</source>
        <translation>Erreur de contenu d&apos;échange</translation>
    </message>
</context>
<context>
    <name>UpdateCmd</name>
    <message>
        <source>The request for administrator rights was dismissed.</source>
        <translation>La demande de droits administrateur a été annulée.</translation>
    </message>
    <message>
        <source>The administrator rights to install the update were refused.</source>
        <translation>Les droits administrateur nécessaires à l&apos;installation de la mise à jour ont été refusés.</translation>
    </message>
    <message>
        <source>The installation ended with status %1.</source>
        <translation>L&apos;installation s&apos;est terminée avec le statut %1.</translation>
    </message>
    <message>
        <source>Error while installing the update, please try again later or install the latest version from &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Erreur lors de l&apos;installation de la mise à jour, veuillez réessayer plus tard ou installer la dernière version depuis &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>The installation stopped unexpectedly.</source>
        <translation>L&apos;installation s&apos;est arrêtée de manière inattendue.</translation>
    </message>
</context>
<context>
    <name>UpdateDownloadRequest</name>
    <message>
        <source>The update is not offered by %1.</source>
        <translation>La mise à jour n&apos;est pas proposée par %1.</translation>
    </message>
    <message>
        <source>The downloaded update is empty.</source>
        <translation>La mise à jour téléchargée est vide.</translation>
    </message>
    <message>
        <source>The downloaded update does not match its checksum.</source>
        <translation>La mise à jour téléchargée ne correspond pas à sa somme de contrôle.</translation>
    </message>
    <message>
        <source>The downloaded update is not a program for this computer.</source>
        <translation>La mise à jour téléchargée n&apos;est pas un programme pour cet ordinateur.</translation>
    </message>
    <message>
        <source>Error opening file &apos;%1&apos;</source>
        <translation>Erreur lors de l&apos;ouverture du fichier &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Error writing to file &apos;%1&apos;</source>
        <translation>Erreur lors de l&apos;écriture dans le fichier &apos;%1&apos;</translation>
    </message>
    <message>
        <source>The update was announced without a checksum, so it cannot be verified.</source>
        <translation>La mise à jour a été annoncée sans somme de contrôle : elle ne peut pas être vérifiée.</translation>
    </message>
    <message>
        <source>The service answered with the HTTP status %1 instead of the update.</source>
        <translation>Le service a répondu avec le statut HTTP %1 au lieu de la mise à jour.</translation>
    </message>
</context>
<context>
    <name>UpdateManager</name>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Initializing network...</source>
        <translation>Initialisation du réseau...</translation>
    </message>
    <message>
        <source>Searching for new update...</source>
        <translation>Recherche d&apos;une nouvelle mise à jour...</translation>
    </message>
    <message>
        <source>New version</source>
        <translation>Nouvelle version</translation>
    </message>
    <message>
        <source>A new version is available &lt;a href=&quot;%1&quot;&gt;here&lt;/a&gt;.</source>
        <translation>Une nouvelle version est disponible &lt;a href=&quot;%1&quot;&gt;ici&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>Error in update protocol.</source>
        <translation>Erreur dans le protocole de mise à jour.</translation>
    </message>
    <message>
        <source>New update</source>
        <translation>Nouvelle mise à jour</translation>
    </message>
    <message>
        <source>A new update is available, please click &apos;OK&apos; to download and install it.</source>
        <translation>Une nouvelle mise à jour est disponible, veuillez cliquer sur &apos;OK&apos; pour la télécharger et l&apos;installer.</translation>
    </message>
    <message>
        <source>Downloading new update...</source>
        <translation>Téléchargement de la nouvelle mise à jour...</translation>
    </message>
    <message>
        <source>Error while downloading the update.</source>
        <translation>Erreur lors du téléchargement de la mise à jour.</translation>
    </message>
    <message>
        <source>Installing new update...</source>
        <translation>Installation de la nouvelle mise à jour...</translation>
    </message>
    <message>
        <source>1st update attempt failed</source>
        <translation>La première tentative de mise à jour a échoué</translation>
    </message>
    <message>
        <source>Update error</source>
        <translation>Erreur de mise à jour</translation>
    </message>
    <message>
        <source>%1&lt;br&gt;%2&lt;br&gt; Reason:&lt;br&gt;  %3</source>
        <translation>%1&lt;br&gt;%2&lt;br&gt; Raison :&lt;br&gt;  %3</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Réseau</translation>
    </message>
    <message>
        <source>The program file was not found.</source>
        <translation>Le fichier du programme est introuvable.</translation>
    </message>
    <message>
        <source>The service cannot be reached: this version goes on, and the check is made again later.</source>
        <translation>Le service est injoignable : cette version continue, la vérification sera refaite plus tard.</translation>
    </message>
    <message>
        <source>This version goes on running. Please try again later or install the latest version from &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Cette version continue de fonctionner. Veuillez réessayer plus tard ou installer la dernière version depuis &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</translation>
    </message>
</context>
<context>
    <name>UploadReply</name>
    <message>
        <source>Protocol &quot;%1&quot; is unknown</source>
        <translation>Protocole « %1 » inconnu</translation>
    </message>
    <message>
        <source>The file to upload could not be read: %1</source>
        <translation>Le fichier à envoyer n&apos;a pas pu être lu : %1</translation>
    </message>
    <message>
        <source>Connection closed</source>
        <translation>Connexion fermée</translation>
    </message>
    <message>
        <source>The service&apos;s answer is not HTTP.</source>
        <translation>La réponse du service n&apos;est pas du HTTP.</translation>
    </message>
    <message>
        <source>The service answered %1 %2.</source>
        <translation>Le service a répondu %1 %2.</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Opération annulée</translation>
    </message>
</context>
<context>
    <name>User</name>
    <message>
        <source>Can not access user directory</source>
        <translation>Impossible d&apos;accéder au dossier utilisateur</translation>
    </message>
    <message>
        <source>Can not access tmp directory</source>
        <translation>Impossible d&apos;accéder au dossier temporaire</translation>
    </message>
    <message>
        <source>Can not access out directory</source>
        <translation>Impossible d&apos;accéder au dossier de sortie</translation>
    </message>
    <message>
        <source>Can not access recorded directory</source>
        <translation>Impossible d&apos;accéder au dossier des enregistrements</translation>
    </message>
    <message>
        <source>Can not access edited directory</source>
        <translation>Impossible d&apos;accéder au dossier des vidéos éditées</translation>
    </message>
    <message>
        <source>Can not access thumbnail directory</source>
        <translation>Impossible d&apos;accéder au dossier des miniatures</translation>
    </message>
</context>
<context>
    <name>VideoUploadRequest</name>
    <message>
        <source>Error opening file &apos;%1&apos;</source>
        <translation>Erreur lors de l&apos;ouverture du fichier &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Internal upload protocol error</source>
        <translation>Erreur interne du protocole d&apos;envoi</translation>
    </message>
    <message>
        <source>Unknown upload error</source>
        <translation>Erreur d&apos;envoi inconnue</translation>
    </message>
</context>
<context>
    <name>WaylandFrameSource</name>
    <message>
        <source>The desktop stopped sharing the screen (%1)</source>
        <translation>Le bureau a cessé de partager l&apos;écran (%1)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>%1 Reason:&lt;br&gt;%2</source>
        <translation>%1 Raison :&lt;br&gt;%2</translation>
    </message>
    <message>
        <source>The command line holds no program name.</source>
        <translation>La ligne de commande ne contient aucun nom de programme.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Brindlecast - Error on exit</source>
        <translation>Brindlecast - Erreur à la fermeture</translation>
    </message>
</context>
</TS>
