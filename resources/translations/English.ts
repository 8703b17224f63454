<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AVAssembler</name>
    <message>
        <source>The recorded minutes are kept: the save will be offered again at the next start.</source>
        <translation>The recorded minutes are kept: the save will be offered again at the next start.</translation>
    </message>
</context>
<context>
    <name>AVRecorder</name>
    <message numerus="yes">
        <source>The disk is full: recording stopped; the last %n minutes are kept and will be saved when space is free.</source>
        <translation><numerusform>The disk is full: recording stopped; the last %n minute is kept and will be saved when space is free.</numerusform>
            <numerusform>The disk is full: recording stopped; the last %n minutes are kept and will be saved when space is free.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Recording stopped: the last %n minutes are kept and will be offered for saving at the next start.</source>
        <translation><numerusform>Recording stopped: the last %n minute is kept and will be offered for saving at the next start.</numerusform>
            <numerusform>Recording stopped: the last %n minutes are kept and will be offered for saving at the next start.</numerusform>
        </translation>
    </message>
    <message>
        <source>The sound server has gone away: recording goes on in silence, and the sound comes back when the server does.</source>
        <translation>The sound server has gone away: recording goes on in silence, and the sound comes back when the server does.</translation>
    </message>
    <message>
        <source>Only black is being recorded: this desktop does not let Brindlecast see what you chose. On a Wayland desktop, share the screen the region or monitor lies on when asked, or record the table window itself; or choose an X11 session when you log in.</source>
        <translation>Only black is being recorded: this desktop does not let Brindlecast see what you chose. On a Wayland desktop, share the screen the region or monitor lies on when asked, or record the table window itself; or choose an X11 session when you log in.</translation>
    </message>
</context>
<context>
    <name>AboutBox</name>
    <message>
        <source>About Brindlecast</source>
        <translation>About Brindlecast</translation>
    </message>
    <message>
        <source>A poker screencast freeware coupled with a video sharing website</source>
        <translation>A poker screencast freeware coupled with a video sharing website</translation>
    </message>
    <message>
        <source>This software uses libraries from the FFmpeg project under the LGPLv2.1</source>
        <translation>This software uses libraries from the FFmpeg project under the LGPLv2.1</translation>
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
        <translation>Play</translation>
    </message>
    <message>
        <source>Play your hand</source>
        <translation>Play your hand</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Replay</source>
        <translation>Replay</translation>
    </message>
    <message>
        <source>Reset marks</source>
        <translation>Reset marks</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Your hand</source>
        <translation>Your hand</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>Save and upload</source>
        <translation>Save and upload</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Video title not provided correctly</source>
        <translation>Video title not provided correctly</translation>
    </message>
    <message>
        <source>You have to provide at least 3 characters for the title of your video.</source>
        <translation>You have to provide at least 3 characters for the title of your video.</translation>
    </message>
</context>
<context>
    <name>EditedItemWidget</name>
    <message>
        <source>Added:</source>
        <translation>Added:</translation>
    </message>
    <message>
        <source>Edited:</source>
        <translation>Edited:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Duration:</translation>
    </message>
    <message>
        <source>File size:</source>
        <translation>File size:</translation>
    </message>
    <message>
        <source>Links:</source>
        <translation>Links:</translation>
    </message>
    <message>
        <source>Not uploaded</source>
        <translation>Not uploaded</translation>
    </message>
    <message>
        <source>Upload now</source>
        <translation>Upload now</translation>
    </message>
    <message>
        <source>Activate now</source>
        <translation>Activate now</translation>
    </message>
    <message>
        <source>Public page</source>
        <translation>Public page</translation>
    </message>
    <message>
        <source>Edit page</source>
        <translation>Edit page</translation>
    </message>
    <message>
        <source>Queued</source>
        <translation>Queued</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>Encoding</translation>
    </message>
    <message>
        <source>Encoding %p%</source>
        <translation>Encoding %p%</translation>
    </message>
    <message>
        <source>Encode failed</source>
        <translation>Encode failed</translation>
    </message>
    <message>
        <source>Encoded</source>
        <translation>Encoded</translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation>Uploading</translation>
    </message>
    <message>
        <source>Uploading %p%</source>
        <translation>Uploading %p%</translation>
    </message>
    <message>
        <source>Uploaded</source>
        <translation>Uploaded</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Try again</translation>
    </message>
    <message>
        <source>The upload failed: %1</source>
        <translation>The upload failed: %1</translation>
    </message>
    <message>
        <source>Upload failed</source>
        <translation>Upload failed</translation>
    </message>
    <message>
        <source>No web browser could be opened. Open this address in your browser to activate your video:</source>
        <translation>No web browser could be opened. Open this address in your browser to activate your video:</translation>
    </message>
</context>
<context>
    <name>EditedPage</name>
    <message>
        <source>Edited videos (%1)</source>
        <translation>Edited videos (%1)</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>EditingItemWidget</name>
    <message>
        <source>Editing</source>
        <translation>Editing</translation>
    </message>
    <message>
        <source>This video cannot be played: %1</source>
        <translation>This video cannot be played: %1</translation>
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
        <translation>This video cannot be played.</translation>
    </message>
    <message>
        <source>'%1' is not a video file.</source>
        <translation>'%1' is not a video file.</translation>
    </message>
</context>
<context>
    <name>EncoderThread</name>
    <message>
        <source>Error while encoding video</source>
        <translation>Error while encoding video</translation>
    </message>
</context>
<context>
    <name>Follower</name>
    <message>
        <source>Open main window</source>
        <translation>Open main window</translation>
    </message>
    <message>
        <source>Stop recording and close</source>
        <translation>Stop recording and close</translation>
    </message>
    <message>
        <source>Inside or above what is recorded</source>
        <translation>Inside or above what is recorded</translation>
    </message>
    <message>
        <source>Drag along the edge</source>
        <translation>Drag along the edge</translation>
    </message>
</context>
<context>
    <name>LanguageDialog</name>
    <message>
        <source>Choose your language</source>
        <translation>Choose your language</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>Can not delete file '%1'</source>
        <translation>Can not delete file '%1'</translation>
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
        <translation>Brindlecast - Login</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Language...</translation>
    </message>
    <message>
        <source>&amp;Network options...</source>
        <translation>&amp;Network options...</translation>
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
        <translation>Remember my email</translation>
    </message>
    <message>
        <source>Remember my password</source>
        <translation>Remember my password</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Create an Account</source>
        <translation>Create an Account</translation>
    </message>
    <message>
        <source>Forgot your password?</source>
        <translation>Forgot your password?</translation>
    </message>
    <message>
        <source>Logging in...</source>
        <translation>Logging in...</translation>
    </message>
    <message>
        <source>Email empty</source>
        <translation>Email empty</translation>
    </message>
    <message>
        <source>Password empty</source>
        <translation>Password empty</translation>
    </message>
    <message>
        <source>Internal user name communication error</source>
        <translation>Internal user name communication error</translation>
    </message>
</context>
<context>
    <name>LoginRequest</name>
    <message>
        <source>Internal user name communication error</source>
        <translation>Internal user name communication error</translation>
    </message>
    <message>
        <source>The service sent a user name that cannot be used: "%1"</source>
        <translation>The service sent a user name that cannot be used: "%1"</translation>
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
        <translation>Log out</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Recorded (%1)</source>
        <translation>Recorded (%1)</translation>
    </message>
    <message>
        <source>Editing (%1)</source>
        <translation>Editing (%1)</translation>
    </message>
    <message>
        <source>Edited (%1)</source>
        <translation>Edited (%1)</translation>
    </message>
    <message>
        <source>You're logged in as</source>
        <translation>You're logged in as</translation>
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
        <translation>Videos</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Confirm Exit</source>
        <translation>Confirm Exit</translation>
    </message>
    <message>
        <source>/faq</source>
        <translation>/faq</translation>
    </message>
    <message>
        <source>Brindlecast - Main Window</source>
        <translation>Brindlecast - Main Window</translation>
    </message>
    <message>
        <source>Log &amp;out</source>
        <translation>Log &amp;out</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Show</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Language...</source>
        <translation>&amp;Language...</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>&amp;Statistics...</source>
        <translation>&amp;Statistics...</translation>
    </message>
    <message>
        <source>&amp;FAQ...</source>
        <translation>&amp;FAQ...</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>&amp;Quick start...</source>
        <translation>&amp;Quick start...</translation>
    </message>
    <message>
        <source>&amp;Help...</source>
        <translation>&amp;Help...</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Interrupted recording</source>
        <translation>Interrupted recording</translation>
    </message>
    <message>
        <source>A recording was interrupted. Save the last minutes?</source>
        <translation>A recording was interrupted. Save the last minutes?</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n entries could be read and are kept.</source>
        <translation><numerusform>%1: %n entry could be read and is kept.</numerusform>
            <numerusform>%1: %n entries could be read and are kept.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: the defaults apply.</source>
        <translation>%1: the defaults apply.</translation>
    </message>
    <message>
        <source>The damaged file is left as it is and will not be overwritten.</source>
        <translation>The damaged file is left as it is and will not be overwritten.</translation>
    </message>
    <message>
        <source>The damaged file is kept as %1.</source>
        <translation>The damaged file is kept as %1.</translation>
    </message>
    <message>
        <source>Damaged files</source>
        <translation>Damaged files</translation>
    </message>
    <message>
        <source>Some of your files could not be read whole:</source>
        <translation>Some of your files could not be read whole:</translation>
    </message>
    <message numerus="yes">
        <source>%n recordings were interrupted. Save the last minutes of each?</source>
        <translation><numerusform>%n recording was interrupted. Save its last minutes?</numerusform>
            <numerusform>%n recordings were interrupted. Save the last minutes of each?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of the interrupted recordings could not be saved. They are kept and will be offered again at the next start.</source>
        <translation><numerusform>%n of the interrupted recordings could not be saved. It is kept and will be offered again at the next start.</numerusform>
            <numerusform>%n of the interrupted recordings could not be saved. They are kept and will be offered again at the next start.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n recordings are running. Stop them? Their last minutes are kept and will be offered for saving at the next start.</source>
        <translation><numerusform>%n recording is running. Stop it? Its last minutes are kept and will be offered for saving at the next start.</numerusform>
            <numerusform>%n recordings are running. Stop them? Their last minutes are kept and will be offered for saving at the next start.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Brindlecast - %n recordings ongoing</source>
        <translation><numerusform>Brindlecast - %n recording ongoing</numerusform>
            <numerusform>Brindlecast - %n recordings ongoing</numerusform>
        </translation>
    </message>
    <message>
        <source>Brindlecast goes on running</source>
        <translation>Brindlecast goes on running</translation>
    </message>
    <message>
        <source>This desktop has no tray, so the main window was minimised instead of closed. Brindlecast goes on running and recording your tables.

To bring the window back, use your desktop's window list or start Brindlecast again. To end Brindlecast, use File, Quit.</source>
        <translation>This desktop has no tray, so the main window was minimised instead of closed. Brindlecast goes on running and recording your tables.

To bring the window back, use your desktop's window list or start Brindlecast again. To end Brindlecast, use File, Quit.</translation>
    </message>
    <message>
        <source>&amp;Recorder tool</source>
        <translation>&amp;Recorder tool</translation>
    </message>
</context>
<context>
    <name>NetOptionsDialog</name>
    <message>
        <source>Network Options</source>
        <translation>Network Options</translation>
    </message>
    <message>
        <source>Do not use proxy</source>
        <translation>Do not use proxy</translation>
    </message>
    <message>
        <source>Detect proxy automatically</source>
        <translation>Detect proxy automatically</translation>
    </message>
    <message>
        <source>Configure the proxy manually</source>
        <translation>Configure the proxy manually</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>User</source>
        <translation>User</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>The port is a number up to 65535.</source>
        <translation>The port is a number up to 65535.</translation>
    </message>
    <message>
        <source>&lt;p style="font-family: Arial;font-size:9pt"&gt;&lt;span style=" font-weight:600;"&gt;Note&lt;/span&gt;&lt;span&gt;: Changes are taken into the account only from the next start.&lt;/span&gt;&lt;/p&gt;</source>
        <translation>&lt;p style="font-family: Arial;font-size:9pt"&gt;&lt;span style=" font-weight:600;"&gt;Note&lt;/span&gt;&lt;span&gt;: Changes are taken into the account only from the next start.&lt;/span&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>NewUpdateNotifier</name>
    <message>
        <source>- New update</source>
        <translation>- New update</translation>
    </message>
    <message>
        <source>Do you want to restart Brindlecast to install the update?</source>
        <translation>Do you want to restart Brindlecast to install the update?</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Not now</translation>
    </message>
</context>
<context>
    <name>NewVideoNotifier</name>
    <message>
        <source>- Saving video #%1</source>
        <translation>- Saving video #%1</translation>
    </message>
    <message>
        <source>Enter a title...</source>
        <translation>Enter a title...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Video saved</source>
        <translation>Video saved</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>- Saving video</source>
        <translation>- Saving video</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>OptAudio</name>
    <message>
        <source>Audio recording options</source>
        <translation>Audio recording options</translation>
    </message>
    <message>
        <source>Record audio</source>
        <translation>Record audio</translation>
    </message>
    <message>
        <source>Use system configuration of audio recording devices</source>
        <translation>Use system configuration of audio recording devices</translation>
    </message>
    <message>
        <source>Select your recording device:</source>
        <translation>Select your recording device:</translation>
    </message>
    <message>
        <source>Quick set volume</source>
        <translation>Quick set volume</translation>
    </message>
    <message>
        <source>Note: "stereo mix" is a device recording audio from all sources of your system.</source>
        <translation>Note: "stereo mix" is a device recording audio from all sources of your system.</translation>
    </message>
    <message>
        <source>%1: volume %2 %, %3</source>
        <translation>%1: volume %2 %, %3</translation>
    </message>
    <message>
        <source>muted</source>
        <translation>muted</translation>
    </message>
    <message>
        <source>on</source>
        <translation>on</translation>
    </message>
</context>
<context>
    <name>OptDetection</name>
    <message>
        <source>Manage automatic detection</source>
        <translation>Manage automatic detection</translation>
    </message>
    <message>
        <source>Brindlecast builds a personnal list of programs detected as Poker rooms. If you don't want a specific program to be automatically selected, you can uncheck it here.</source>
        <translation>Brindlecast builds a personal list of programs detected as Poker rooms. If you don't want a specific program to be automatically selected, you can uncheck it here.</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>Process</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Recordable</source>
        <translation>Recordable</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>Not listed</source>
        <translation>Not listed</translation>
    </message>
</context>
<context>
    <name>OptGeneral</name>
    <message>
        <source>My account</source>
        <translation>My account</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Automatic startup and login</source>
        <translation>Automatic startup and login</translation>
    </message>
    <message>
        <source>Edit profile</source>
        <translation>Edit profile</translation>
    </message>
</context>
<context>
    <name>OptRecording</name>
    <message>
        <source>Table selection mode</source>
        <translation>Table selection mode</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>The easy way to record hands</source>
        <translation>The easy way to record hands</translation>
    </message>
    <message>
        <source>Useful for Hand Histories or full screen recordings</source>
        <translation>Useful for Hand Histories or full screen recordings</translation>
    </message>
    <message>
        <source>Automatically start the recording</source>
        <translation>Automatically start the recording</translation>
    </message>
    <message>
        <source>Maximum number of tables at the same time</source>
        <translation>Maximum number of tables at the same time</translation>
    </message>
    <message>
        <source>Select table from a list</source>
        <translation>Select table from a list</translation>
    </message>
    <message>
        <source>Pop-up the selection tool whenever a new table is opened</source>
        <translation>Pop-up the selection tool whenever a new table is opened</translation>
    </message>
    <message>
        <source>Recording options</source>
        <translation>Recording options</translation>
    </message>
    <message>
        <source>Record the last</source>
        <translation>Record the last</translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation>minute(s)</translation>
    </message>
    <message>
        <source>Automatically save a video on close of the table</source>
        <translation>Automatically save a video on close of the table</translation>
    </message>
    <message>
        <source>Recorder display options</source>
        <translation>Recorder display options</translation>
    </message>
    <message>
        <source>Display stopwatch</source>
        <translation>Display stopwatch</translation>
    </message>
    <message>
        <source>Make the whole recorder transparent</source>
        <translation>Make the whole recorder transparent</translation>
    </message>
    <message>
        <source>On this Wayland desktop a table is always recorded from its own picture: windows lying over it are not recorded.</source>
        <translation>On this Wayland desktop a table is always recorded from its own picture: windows lying over it are not recorded.</translation>
    </message>
    <message>
        <source>Record what is drawn over the table, such as a tracker's display (when a compositing manager is running)</source>
        <translation>Record what is drawn over the table, such as a tracker's display (when a compositing manager is running)</translation>
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
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>General Settings</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>Recording Options</source>
        <translation>Recording Options</translation>
    </message>
    <message>
        <source>Detection</source>
        <translation>Detection</translation>
    </message>
    <message>
        <source>Table Detection</source>
        <translation>Table Detection</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Audio Configuration</source>
        <translation>Audio Configuration</translation>
    </message>
</context>
<context>
    <name>PortalScreenCast</name>
    <message>
        <source>The desktop could not share the screen (%1)</source>
        <translation>The desktop could not share the screen (%1)</translation>
    </message>
    <message>
        <source>This Wayland desktop offers no screen sharing (the ScreenCast desktop portal), so a region or a monitor cannot be recorded here. Tables can: choose the table's window instead.</source>
        <translation>This Wayland desktop offers no screen sharing (the ScreenCast desktop portal), so a region or a monitor cannot be recorded here. Tables can: choose the table's window instead.</translation>
    </message>
    <message>
        <source>The desktop did not answer the request to share the screen</source>
        <translation>The desktop did not answer the request to share the screen</translation>
    </message>
    <message>
        <source>Sharing the screen was refused, so the region or monitor cannot be recorded. Record again and allow Brindlecast to share the screen.</source>
        <translation>Sharing the screen was refused, so the region or monitor cannot be recorded. Record again and allow Brindlecast to share the screen.</translation>
    </message>
</context>
<context>
    <name>ProgramFile</name>
    <message>
        <source>failed to backup '%1' to '%2'</source>
        <translation>failed to backup '%1' to '%2'</translation>
    </message>
    <message>
        <source>failed to move '%1' to '%2'</source>
        <translation>failed to move '%1' to '%2'</translation>
    </message>
    <message>
        <source>failed to restore '%1' from '%2'</source>
        <translation>failed to restore '%1' from '%2'</translation>
    </message>
</context>
<context>
    <name>QuickStart</name>
    <message>
        <source>Show this screen at startup</source>
        <translation>Show this screen at startup</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Brindlecast - Quick start</source>
        <translation>Brindlecast - Quick start</translation>
    </message>
    <message>
        <source>Quick start guide</source>
        <translation>Quick start guide</translation>
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
        <translation>Saving...</translation>
    </message>
    <message>
        <source>Added:</source>
        <translation>Added:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Duration:</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Edit and upload this video</source>
        <translation>Edit and upload this video</translation>
    </message>
    <message>
        <source>Error while assembling video %1</source>
        <translation>Error while assembling video %1</translation>
    </message>
    <message>
        <source>Error assembling</source>
        <translation>Error assembling</translation>
    </message>
</context>
<context>
    <name>RecordedPage</name>
    <message>
        <source>Move to archive</source>
        <translation>Move to archive</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Pending videos (%1)</source>
        <translation>Pending videos (%1)</translation>
    </message>
    <message>
        <source>Archived videos (%1)</source>
        <translation>Archived videos (%1)</translation>
    </message>
    <message numerus="yes">
        <source>%n of the videos chosen are being encoded or wait to be: they are kept. Delete them once their edits are done.</source>
        <translation><numerusform>%n of the videos chosen is being encoded or waits to be: it is kept. Delete it once its edit is done.</numerusform>
            <numerusform>%n of the videos chosen are being encoded or wait to be: they are kept. Delete them once their edits are done.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecorderManager</name>
    <message>
        <source>Open main window</source>
        <translation>Open main window</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>Select a window</source>
        <translation>Select a window</translation>
    </message>
    <message>
        <source>Select a region</source>
        <translation>Select a region</translation>
    </message>
    <message>
        <source>Select a monitor</source>
        <translation>Select a monitor</translation>
    </message>
</context>
<context>
    <name>RecorderWidget</name>
    <message>
        <source>Microphone on or off</source>
        <translation>Microphone on or off</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Save the last recorded minutes</source>
        <translation>Save the last recorded minutes</translation>
    </message>
    <message>
        <source>Nobody is logged in</source>
        <translation>Nobody is logged in</translation>
    </message>
    <message>
        <source>Error while saving video</source>
        <translation>Error while saving video</translation>
    </message>
    <message>
        <source>Saving error</source>
        <translation>Saving error</translation>
    </message>
    <message>
        <source>Error while recording</source>
        <translation>Error while recording</translation>
    </message>
    <message>
        <source>Recording error</source>
        <translation>Recording error</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Picture</translation>
    </message>
</context>
<context>
    <name>RegionSniper</name>
    <message>
        <source>Drag over the area to record. Escape or a right click cancels.</source>
        <translation>Drag over the area to record. Escape or a right click cancels.</translation>
    </message>
</context>
<context>
    <name>RequestRunner</name>
    <message>
        <source>Content error.</source>
        <translation>Content error.</translation>
    </message>
    <message>
        <source>Reached maximum number of retries.</source>
        <translation>Reached maximum number of retries.</translation>
    </message>
    <message>
        <source>The request was cancelled.</source>
        <translation>The request was cancelled.</translation>
    </message>
    <message>
        <source>The connection was closed.</source>
        <translation>The connection was closed.</translation>
    </message>
</context>
<context>
    <name>RestartCmd</name>
    <message>
        <source>Error while restarting.</source>
        <translation>Error while restarting.</translation>
    </message>
</context>
<context>
    <name>RoomConfirmForm</name>
    <message>
        <source>Please confirm the name of this Poker room.</source>
        <translation>Please confirm the name of this Poker room.</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>My room is not listed</source>
        <translation>My room is not listed</translation>
    </message>
    <message>
        <source>Record this program's tables without a room. You can choose its room later in Options, Detection.</source>
        <translation>Record this program's tables without a room. You can choose its room later in Options, Detection.</translation>
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
        <translation>Can not access home directory</translation>
    </message>
</context>
<context>
    <name>StatPage</name>
    <message>
        <source>Statistic</source>
        <translation>Statistic</translation>
    </message>
    <message>
        <source>Total size on disk:</source>
        <translation>Total size on disk:</translation>
    </message>
    <message>
        <source>Pending videos:</source>
        <translation>Pending videos:</translation>
    </message>
    <message>
        <source>Archived videos:</source>
        <translation>Archived videos:</translation>
    </message>
    <message>
        <source>Encoded videos:</source>
        <translation>Encoded videos:</translation>
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
        <translation>Select the window to record</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <translation>Your rooms</translation>
    </message>
</context>
<context>
    <name>Timeline</name>
    <message>
        <source>Beginning of your hand</source>
        <translation>Beginning of your hand</translation>
    </message>
    <message>
        <source>End of your hand</source>
        <translation>End of your hand</translation>
    </message>
</context>
<context>
    <name>UpdateCheckRequest</name>
    <message>
        <source>HTTP status code (%1)</source>
        <translation>HTTP status code (%1)</translation>
    </message>
    <message>
        <source>Error exchange format</source>
        <translation>Error exchange format</translation>
    </message>
    <message>
        <source>Error exchange content</source>
        <translation>Error exchange content</translation>
    </message>
</context>
<context>
    <name>UpdateCmd</name>
    <message>
        <source>The request for administrator rights was dismissed.</source>
        <translation>The request for administrator rights was dismissed.</translation>
    </message>
    <message>
        <source>The administrator rights to install the update were refused.</source>
        <translation>The administrator rights to install the update were refused.</translation>
    </message>
    <message>
        <source>The installation ended with status %1.</source>
        <translation>The installation ended with status %1.</translation>
    </message>
    <message>
        <source>Error while installing the update, please try again later or install the latest version from &lt;a href="%1"&gt;%1&lt;/a&gt;.</source>
        <translation>Error while installing the update, please try again later or install the latest version from &lt;a href="%1"&gt;%1&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>The installation stopped unexpectedly.</source>
        <translation>The installation stopped unexpectedly.</translation>
    </message>
</context>
<context>
    <name>UpdateDownloadRequest</name>
    <message>
        <source>The update is not offered by %1.</source>
        <translation>The update is not offered by %1.</translation>
    </message>
    <message>
        <source>The downloaded update is empty.</source>
        <translation>The downloaded update is empty.</translation>
    </message>
    <message>
        <source>The downloaded update does not match its checksum.</source>
        <translation>The downloaded update does not match its checksum.</translation>
    </message>
    <message>
        <source>The downloaded update is not a program for this computer.</source>
        <translation>The downloaded update is not a program for this computer.</translation>
    </message>
    <message>
        <source>Error opening file '%1'</source>
        <translation>Error opening file '%1'</translation>
    </message>
    <message>
        <source>Error writing to file '%1'</source>
        <translation>Error writing to file '%1'</translation>
    </message>
    <message>
        <source>The update was announced without a checksum, so it cannot be verified.</source>
        <translation>The update was announced without a checksum, so it cannot be verified.</translation>
    </message>
    <message>
        <source>The service answered with the HTTP status %1 instead of the update.</source>
        <translation>The service answered with the HTTP status %1 instead of the update.</translation>
    </message>
</context>
<context>
    <name>UpdateManager</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Initializing network...</source>
        <translation>Initializing network...</translation>
    </message>
    <message>
        <source>Searching for new update...</source>
        <translation>Searching for new update...</translation>
    </message>
    <message>
        <source>New version</source>
        <translation>New version</translation>
    </message>
    <message>
        <source>A new version is available &lt;a href="%1"&gt;here&lt;/a&gt;.</source>
        <translation>A new version is available &lt;a href="%1"&gt;here&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>Error in update protocol.</source>
        <translation>Error in update protocol.</translation>
    </message>
    <message>
        <source>New update</source>
        <translation>New update</translation>
    </message>
    <message>
        <source>A new update is available, please click 'OK' to download and install it.</source>
        <translation>A new update is available, please click 'OK' to download and install it.</translation>
    </message>
    <message>
        <source>Downloading new update...</source>
        <translation>Downloading new update...</translation>
    </message>
    <message>
        <source>Error while downloading the update.</source>
        <translation>Error while downloading the update.</translation>
    </message>
    <message>
        <source>Installing new update...</source>
        <translation>Installing new update...</translation>
    </message>
    <message>
        <source>1st update attempt failed</source>
        <translation>1st update attempt failed</translation>
    </message>
    <message>
        <source>Update error</source>
        <translation>Update error</translation>
    </message>
    <message>
        <source>%1&lt;br&gt;%2&lt;br&gt; Reason:&lt;br&gt;  %3</source>
        <translation>%1&lt;br&gt;%2&lt;br&gt; Reason:&lt;br&gt;  %3</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>The program file was not found.</source>
        <translation>The program file was not found.</translation>
    </message>
    <message>
        <source>The service cannot be reached: this version goes on, and the check is made again later.</source>
        <translation>The service cannot be reached: this version goes on, and the check is made again later.</translation>
    </message>
    <message>
        <source>This version goes on running. Please try again later or install the latest version from &lt;a href="%1"&gt;%1&lt;/a&gt;.</source>
        <translation>This version goes on running. Please try again later or install the latest version from &lt;a href="%1"&gt;%1&lt;/a&gt;.</translation>
    </message>
</context>
<context>
    <name>UploadReply</name>
    <message>
        <source>Protocol "%1" is unknown</source>
        <translation>Protocol "%1" is unknown</translation>
    </message>
    <message>
        <source>The file to upload could not be read: %1</source>
        <translation>The file to upload could not be read: %1</translation>
    </message>
    <message>
        <source>Connection closed</source>
        <translation>Connection closed</translation>
    </message>
    <message>
        <source>The service's answer is not HTTP.</source>
        <translation>The service's answer is not HTTP.</translation>
    </message>
    <message>
        <source>The service answered %1 %2.</source>
        <translation>The service answered %1 %2.</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Operation canceled</translation>
    </message>
</context>
<context>
    <name>User</name>
    <message>
        <source>Can not access user directory</source>
        <translation>Can not access user directory</translation>
    </message>
    <message>
        <source>Can not access tmp directory</source>
        <translation>Can not access tmp directory</translation>
    </message>
    <message>
        <source>Can not access out directory</source>
        <translation>Can not access out directory</translation>
    </message>
    <message>
        <source>Can not access recorded directory</source>
        <translation>Can not access recorded directory</translation>
    </message>
    <message>
        <source>Can not access edited directory</source>
        <translation>Can not access edited directory</translation>
    </message>
    <message>
        <source>Can not access thumbnail directory</source>
        <translation>Can not access thumbnail directory</translation>
    </message>
</context>
<context>
    <name>VideoUploadRequest</name>
    <message>
        <source>Error opening file '%1'</source>
        <translation>Error opening file '%1'</translation>
    </message>
    <message>
        <source>Internal upload protocol error</source>
        <translation>Internal upload protocol error</translation>
    </message>
    <message>
        <source>Unknown upload error</source>
        <translation>Unknown upload error</translation>
    </message>
</context>
<context>
    <name>WaylandFrameSource</name>
    <message>
        <source>The desktop stopped sharing the screen (%1)</source>
        <translation>The desktop stopped sharing the screen (%1)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>%1 Reason:&lt;br&gt;%2</source>
        <translation>%1 Reason:&lt;br&gt;%2</translation>
    </message>
    <message>
        <source>The command line holds no program name.</source>
        <translation>The command line holds no program name.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Brindlecast - Error on exit</source>
        <translation>Brindlecast - Error on exit</translation>
    </message>
</context>
</TS>