<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Marquetrix</source>
        <translation>Über Marquetrix</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Licenses</source>
        <translation>Lizenzen</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Open source licenses</source>
        <translation>Open-Source-Lizenzen</translation>
    </message>
    <message>
        <source>Marquetrix gratefully uses open source libraries as part of its code base. Following are the corresponding licenses and attributions.</source>
        <translation>Marquetrix verwendet dankbar Open-Source-Bibliotheken als Teil seines Codes. Es folgen die zugehörigen Lizenzen und Urhebervermerke.</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Press esc to exit fullscreen</source>
        <translation>Esc drücken, um den Vollbildmodus zu verlassen</translation>
    </message>
    <message>
        <source>Can only swap videos of equal aspect ratio</source>
        <translation>Nur Videos mit gleichem Seitenverhältnis lassen sich tauschen</translation>
    </message>
    <message>
        <source>At most %1 videos can be open at once</source>
        <translation>Es können höchstens %1 Videos gleichzeitig geöffnet sein</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Dateien öffnen</translation>
    </message>
    <message>
        <source>Cannot show the file dialog: %1</source>
        <translation>Der Dateidialog kann nicht angezeigt werden: %1</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Pause or play all videos</source>
        <translation>Alle Videos anhalten oder abspielen</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Vollbild verlassen</translation>
    </message>
    <message>
        <source>Open files</source>
        <translation>Dateien öffnen</translation>
    </message>
    <message>
        <source>Open a link</source>
        <translation>Einen Link öffnen</translation>
    </message>
    <message>
        <source>Repeat all videos</source>
        <translation>Alle Videos wiederholen</translation>
    </message>
    <message>
        <source>Mute all videos</source>
        <translation>Alle Videos stummschalten</translation>
    </message>
    <message>
        <source>Shuffle the layout</source>
        <translation>Layout neu mischen</translation>
    </message>
    <message>
        <source>Show this list</source>
        <translation>Diese Liste anzeigen</translation>
    </message>
    <message>
        <source>For the video under the pointer, or the one clicked last:</source>
        <translation>Für das Video unter dem Mauszeiger oder das zuletzt angeklickte:</translation>
    </message>
    <message>
        <source>Back or forward 5 seconds</source>
        <translation>5 Sekunden zurück oder vor</translation>
    </message>
    <message>
        <source>Back or forward 1 minute</source>
        <translation>1 Minute zurück oder vor</translation>
    </message>
    <message>
        <source>Volume up or down</source>
        <translation>Lautstärke erhöhen oder verringern</translation>
    </message>
    <message>
        <source>Mute or unmute</source>
        <translation>Ton aus- oder einschalten</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Jump to 0 % – 90 %</source>
        <translation>Zu 0 % – 90 % springen</translation>
    </message>
    <message>
        <source>Jump to the start or the end</source>
        <translation>Zum Anfang oder zum Ende springen</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Strg+O</translation>
    </message>
    <message>
        <source>Ctrl+Shift+O</source>
        <translation>Strg+Umschalt+O</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Strg+R</translation>
    </message>
    <message>
        <source>Ctrl+T</source>
        <translation>Strg+T</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Strg+L</translation>
    </message>
    <message>
        <source>F1, Ctrl+?</source>
        <translation>F1, Strg+?</translation>
    </message>
    <message>
        <source>Shift+← / →</source>
        <translation>Umschalt+← / →</translation>
    </message>
    <message>
        <source>Home / End</source>
        <translation>Pos1 / Ende</translation>
    </message>
    <message>
        <source>Ctrl+] / Ctrl+[</source>
        <translation>Strg+] / Strg+[</translation>
    </message>
    <message>
        <source>All videos faster or slower</source>
        <translation>Alle Videos schneller oder langsamer</translation>
    </message>
    <message>
        <source>Ctrl+=</source>
        <translation>Strg+=</translation>
    </message>
    <message>
        <source>All videos at normal speed</source>
        <translation>Alle Videos mit normaler Geschwindigkeit</translation>
    </message>
    <message>
        <source>Shift+S</source>
        <translation>Umschalt+S</translation>
    </message>
    <message>
        <source>Snapshot of every video and of the window</source>
        <translation>Standbild jedes Videos und des Fensters</translation>
    </message>
    <message>
        <source>Faster or slower (0.25× – 4×)</source>
        <translation>Schneller oder langsamer (0,25× – 4×)</translation>
    </message>
    <message>
        <source>Normal speed</source>
        <translation>Normale Geschwindigkeit</translation>
    </message>
    <message>
        <source>Next frame of a paused video</source>
        <translation>Nächstes Bild eines angehaltenen Videos</translation>
    </message>
    <message>
        <source>Snapshot into the pictures folder</source>
        <translation>Standbild in den Bilderordner</translation>
    </message>
    <message>
        <source>Show or hide subtitles</source>
        <translation>Untertitel zeigen oder verbergen</translation>
    </message>
    <message>
        <source>Ctrl+← / Ctrl+→</source>
        <translation>Strg+← / Strg+→</translation>
    </message>
    <message>
        <source>All videos back or forward 5 seconds</source>
        <translation>Alle Videos 5 Sekunden zurück oder vor</translation>
    </message>
    <message>
        <source>Sync all videos to this one</source>
        <translation>Alle Videos mit diesem synchronisieren</translation>
    </message>
    <message>
        <source>Shift+Y</source>
        <translation>Umschalt+Y</translation>
    </message>
    <message>
        <source>Unsync</source>
        <translation>Synchronisierung aufheben</translation>
    </message>
    <message>
        <source>Synced and paused: nudge one frame earlier or later (. on the leader: next frame of all)</source>
        <translation>Synchronisiert und angehalten: ein Bild früher oder später versetzen (. beim führenden Video: nächstes Bild aller)</translation>
    </message>
    <message>
        <source>Shift+, / Shift+.</source>
        <translation>Umschalt+, / Umschalt+.</translation>
    </message>
    <message>
        <source>Synced: nudge 100 ms earlier or later</source>
        <translation>Synchronisiert: 100 ms früher oder später versetzen</translation>
    </message>
</context>
<context>
    <name>InitialView</name>
    <message>
        <source>Play everything. All at once!</source>
        <translation>Alles abspielen. Alles auf einmal!</translation>
    </message>
    <message>
        <source>&lt;b&gt;Marquetrix&lt;/b&gt; supports playback of multiple videos at once, and automatically handles the layout of the videos. You can open files from your computer, files on web servers, and online streams.</source>
        <translation>&lt;b&gt;Marquetrix&lt;/b&gt; spielt mehrere Videos gleichzeitig ab und ordnet sie automatisch an. Sie können Dateien von Ihrem Computer, Dateien auf Webservern und Online-Streams öffnen.</translation>
    </message>
    <message>
        <source>Show help</source>
        <translation>Hilfe anzeigen</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Dateien öffnen</translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation>URL öffnen</translation>
    </message>
    <message>
        <source>Here you can add new videos</source>
        <translation>Hier können Sie neue Videos hinzufügen</translation>
    </message>
</context>
<context>
    <name>LayoutSettingsView</name>
    <message>
        <source>Layout settings</source>
        <translation>Layout-Einstellungen</translation>
    </message>
    <message>
        <source>The layout algorithm can be configured to minimize wasted screen space, or to prioritize keeping the videos sizes more uniform, or to use a compromise between the two approaches.</source>
        <translation>Der Layout-Algorithmus lässt sich so einstellen, dass er möglichst wenig Bildschirmfläche ungenutzt lässt, möglichst gleich große Videos bevorzugt oder einen Kompromiss aus beidem wählt.</translation>
    </message>
    <message>
        <source>Layout algorithm</source>
        <translation>Layout-Algorithmus</translation>
    </message>
    <message>
        <source>Prioritize screen usage</source>
        <translation>Bildschirmfläche bevorzugen</translation>
    </message>
    <message>
        <source>Balanced</source>
        <translation>Ausgewogen</translation>
    </message>
    <message>
        <source>Prioritize uniform video sizes</source>
        <translation>Gleich große Videos bevorzugen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Restore videos on start</source>
        <translation>Videos beim Start wiederherstellen</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Dateien öffnen</translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation>URL öffnen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message>
        <source>&amp;Layout</source>
        <translation>&amp;Layout</translation>
    </message>
    <message>
        <source>Shuffle layout</source>
        <translation>Layout mischen</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Marquetrix Help</source>
        <translation>Marquetrix-Hilfe</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Aktualisierungen suchen…</translation>
    </message>
    <message>
        <source>About Marquetrix</source>
        <translation>Über Marquetrix</translation>
    </message>
    <message>
        <source>Add video</source>
        <translation>Video hinzufügen</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Save as Playlist…</source>
        <translation>Als Wiedergabeliste speichern…</translation>
    </message>
    <message>
        <source>Clear Session</source>
        <translation>Sitzung vergessen</translation>
    </message>
    <message>
        <source>Save as Playlist</source>
        <translation>Als Wiedergabeliste speichern</translation>
    </message>
    <message>
        <source>Playlists (*.m3u8)</source>
        <translation>Wiedergabelisten (*.m3u8)</translation>
    </message>
    <message>
        <source>Faster All</source>
        <translation>Alle schneller</translation>
    </message>
    <message>
        <source>Slower All</source>
        <translation>Alle langsamer</translation>
    </message>
    <message>
        <source>Normal Speed All</source>
        <translation>Alle mit normaler Geschwindigkeit</translation>
    </message>
    <message>
        <source>Snapshot All</source>
        <translation>Standbild von allen</translation>
    </message>
    <message>
        <source>Sound from All Tiles</source>
        <translation>Ton von allen Kacheln</translation>
    </message>
    <message>
        <source>Sound from the Tile Under the Pointer</source>
        <translation>Ton nur von der Kachel unter dem Zeiger</translation>
    </message>
    <message>
        <source>Sound from the Focused Tile</source>
        <translation>Ton nur von der gewählten Kachel</translation>
    </message>
    <message>
        <source>Seek All Back 5 Seconds</source>
        <translation>Alle 5 Sekunden zurück</translation>
    </message>
    <message>
        <source>Seek All Forward 5 Seconds</source>
        <translation>Alle 5 Sekunden vor</translation>
    </message>
</context>
<context>
    <name>SideControls</name>
    <message>
        <source>Crop</source>
        <translation>Zuschneiden</translation>
    </message>
    <message>
        <source>Crop video</source>
        <translation>Video zuschneiden</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Querformat</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Hochformat</translation>
    </message>
    <message>
        <source>Original</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open new video</source>
        <translation>Neues Video öffnen</translation>
    </message>
    <message>
        <source>Open video</source>
        <translation>Video öffnen</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation>URL öffnen</translation>
    </message>
</context>
<context>
    <name>SideControlsMenu</name>
    <message>
        <source>Crop</source>
        <translation>Zuschneiden</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Querformat</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Hochformat</translation>
    </message>
    <message>
        <source>Original</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation>URL öffnen</translation>
    </message>
</context>
<context>
    <name>UpdateNotice</name>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Aktualisierungen suchen…</translation>
    </message>
    <message>
        <source>Open release page</source>
        <translation>Release-Seite öffnen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>VideoControlsView</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close video</source>
        <translation>Video schließen</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Back 15 seconds</source>
        <translation>15 Sekunden zurück</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Forward 15 seconds</source>
        <translation>15 Sekunden vor</translation>
    </message>
    <message>
        <source>Unmute</source>
        <translation>Ton einschalten</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stummschalten</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
</context>
<context>
    <name>VideoOpener</name>
    <message>
        <source>Provide a link to a video file or stream.</source>
        <translation>Geben Sie einen Link zu einer Videodatei oder einem Stream an.</translation>
    </message>
    <message>
        <source>Video URL</source>
        <translation>Video-URL</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>Anmeldung</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Store password in key chain</source>
        <translation>Passwort im Schlüsselbund speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation>URL öffnen</translation>
    </message>
    <message>
        <source>Failed to store credentials</source>
        <translation>Die Zugangsdaten konnten nicht gespeichert werden</translation>
    </message>
</context>
<context>
    <name>VideoPlayerView</name>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Back 15 seconds</source>
        <translation>15 Sekunden zurück</translation>
    </message>
    <message>
        <source>Forward 15 seconds</source>
        <translation>15 Sekunden vor</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>Loop</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>Zuschneiden</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Querformat</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Hochformat</translation>
    </message>
    <message>
        <source>Original</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>Open File…</source>
        <translation>Datei öffnen…</translation>
    </message>
    <message>
        <source>Open URL…</source>
        <translation>URL öffnen…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Reconnecting… (%1)</source>
        <translation>Neue Verbindung… (%1)</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Schneller</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Langsamer</translation>
    </message>
    <message>
        <source>Normal Speed</source>
        <translation>Normale Geschwindigkeit</translation>
    </message>
    <message>
        <source>Next Frame</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>Standbild</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Untertitel</translation>
    </message>
    <message>
        <source>Load Subtitle File…</source>
        <translation>Untertiteldatei laden…</translation>
    </message>
    <message>
        <source>Show Subtitles</source>
        <translation>Untertitel zeigen</translation>
    </message>
    <message>
        <source>Subtitles (*.srt *.ass *.ssa *.vtt)</source>
        <translation>Untertitel (*.srt *.ass *.ssa *.vtt)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Synchronisieren</translation>
    </message>
    <message>
        <source>Sync All to This Tile</source>
        <translation>Alle mit dieser Kachel synchronisieren</translation>
    </message>
    <message>
        <source>Unsync</source>
        <translation>Synchronisierung aufheben</translation>
    </message>
    <message>
        <source>Nudge Earlier by One Frame</source>
        <translation>Ein Bild früher versetzen</translation>
    </message>
    <message>
        <source>Nudge Later by One Frame</source>
        <translation>Ein Bild später versetzen</translation>
    </message>
    <message>
        <source>Nudge Earlier by 100 ms</source>
        <translation>100 ms früher versetzen</translation>
    </message>
    <message>
        <source>Nudge Later by 100 ms</source>
        <translation>100 ms später versetzen</translation>
    </message>
</context>
<context>
    <name>marquetrix::AppCommands</name>
    <message>
        <source>Play all</source>
        <translation>Alle abspielen</translation>
    </message>
    <message>
        <source>Pause all</source>
        <translation>Alle anhalten</translation>
    </message>
    <message>
        <source>Disable repeat all</source>
        <translation>Wiederholung für alle ausschalten</translation>
    </message>
    <message>
        <source>Repeat all</source>
        <translation>Alle wiederholen</translation>
    </message>
    <message>
        <source>Unmute all</source>
        <translation>Ton für alle einschalten</translation>
    </message>
    <message>
        <source>Mute all</source>
        <translation>Alle stummschalten</translation>
    </message>
    <message>
        <source>Could not save a snapshot of the window</source>
        <translation>Das Standbild des Fensters konnte nicht gespeichert werden</translation>
    </message>
</context>
<context>
    <name>marquetrix::BoundedReply</name>
    <message>
        <source>no complete answer within %1 s</source>
        <translation>keine vollständige Antwort innerhalb von %1 s</translation>
    </message>
    <message>
        <source>answer of %1 bytes is larger than %2 bytes</source>
        <translation>die Antwort von %1 Bytes ist größer als %2 Bytes</translation>
    </message>
    <message>
        <source>answer is larger than %1 bytes</source>
        <translation>die Antwort ist größer als %1 Bytes</translation>
    </message>
</context>
<context>
    <name>marquetrix::ContentController</name>
    <message>
        <source>Failed to open video</source>
        <translation>Das Video konnte nicht geöffnet werden</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weitere</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot play %1</source>
        <translation>%1 kann nicht abgespielt werden</translation>
    </message>
</context>
<context>
    <name>marquetrix::FileDialogCheck</name>
    <message>
        <source>Videos (%1)</source>
        <translation>Videos (%1)</translation>
    </message>
    <message>
        <source>AVI videos (%1)</source>
        <translation>AVI-Videos (%1)</translation>
    </message>
    <message>
        <source>QuickTime movies (%1)</source>
        <translation>QuickTime-Filme (%1)</translation>
    </message>
    <message>
        <source>MPEG-4 movies (%1)</source>
        <translation>MPEG-4-Filme (%1)</translation>
    </message>
    <message>
        <source>MPEG-2 videos (%1)</source>
        <translation>MPEG-2-Videos (%1)</translation>
    </message>
    <message>
        <source>All files (%1)</source>
        <translation>Alle Dateien (%1)</translation>
    </message>
</context>
<context>
    <name>marquetrix::LinkOpener</name>
    <message>
        <source>File not found: %1</source>
        <translation>Datei nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Cannot open %1: links of this kind are not supported</source>
        <translation>%1 kann nicht geöffnet werden: Links dieser Art werden nicht unterstützt</translation>
    </message>
    <message>
        <source>Cannot open %1: not a file on this computer</source>
        <translation>%1 kann nicht geöffnet werden: keine Datei auf diesem Computer</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot open %1: it is a folder</source>
        <translation>%1 kann nicht geöffnet werden: das ist ein Ordner</translation>
    </message>
    <message>
        <source>Cannot open %1</source>
        <translation>%1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot open %1: it cannot be read</source>
        <translation>%1 kann nicht geöffnet werden: die Datei ist nicht lesbar</translation>
    </message>
    <message>
        <source>Cannot open %1: the playlist is larger than 16 MB</source>
        <translation>%1 kann nicht geöffnet werden: die Wiedergabeliste ist größer als 16 MB</translation>
    </message>
    <message numerus="yes">
        <source>Playlist %1: %n entries skipped</source>
        <translation>
            <numerusform>Wiedergabeliste %1: %n Eintrag übersprungen</numerusform>
            <numerusform>Wiedergabeliste %1: %n Einträge übersprungen</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot open %1: it names no videos</source>
        <translation>%1 kann nicht geöffnet werden: darin stehen keine Videos</translation>
    </message>
    <message>
        <source>Playlist %1: opening the first %2 of %3 videos</source>
        <translation>Wiedergabeliste %1: die ersten %2 von %3 Videos werden geöffnet</translation>
    </message>
    <message>
        <source>Cannot open %1: not a valid link</source>
        <translation>%1 kann nicht geöffnet werden: kein gültiger Link</translation>
    </message>
    <message>
        <source>No video found at %1</source>
        <translation>Kein Video gefunden unter %1</translation>
    </message>
</context>
<context>
    <name>marquetrix::SessionKeeper</name>
    <message>
        <source>Cannot save the playlist %1: %2</source>
        <translation>Die Wiedergabeliste %1 kann nicht gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>marquetrix::SideControlsActions</name>
    <message>
        <source>No loop</source>
        <translation>Nicht wiederholen</translation>
    </message>
    <message>
        <source>Loop</source>
        <translation>Wiederholen</translation>
    </message>
</context>
<context>
    <name>marquetrix::TileController</name>
    <message>
        <source>Leads, %1 s</source>
        <translation>Führt, %1 s</translation>
    </message>
    <message>
        <source>Follows, %1 s</source>
        <translation>Folgt, %1 s</translation>
    </message>
</context>
<context>
    <name>marquetrix::UpdateChecker</name>
    <message>
        <source>The update feed&apos;s address is not valid.</source>
        <translation>Die Adresse des Update-Feeds ist ungültig.</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>der Server antwortete mit %1</translation>
    </message>
    <message>
        <source>Could not check for updates: %1</source>
        <translation>Die Suche nach Aktualisierungen ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Could not check for updates: the update feed is not understood.</source>
        <translation>Die Suche nach Aktualisierungen ist fehlgeschlagen: der Update-Feed ist nicht lesbar.</translation>
    </message>
    <message>
        <source>Marquetrix %1 is available; you have %2.</source>
        <translation>Marquetrix %1 ist verfügbar; Sie haben %2.</translation>
    </message>
    <message>
        <source>Marquetrix %1 is the newest version.</source>
        <translation>Marquetrix %1 ist die neueste Version.</translation>
    </message>
</context>
<context>
    <name>marquetrix::VideoControls</name>
    <message>
        <source>%1×</source>
        <translation>%1×</translation>
    </message>
</context>
<context>
    <name>marquetrix::VideoOpenerController</name>
    <message>
        <source>Rolling thumbs</source>
        <translation>Däumchen drehen</translation>
    </message>
    <message>
        <source>Having a snack</source>
        <translation>Einen Happen essen</translation>
    </message>
    <message>
        <source>Contemplating life</source>
        <translation>Über das Leben nachdenken</translation>
    </message>
    <message>
        <source>Scrolling Reddit</source>
        <translation>Durch Reddit scrollen</translation>
    </message>
    <message>
        <source>Waiting for paint to dry</source>
        <translation>Der Farbe beim Trocknen zusehen</translation>
    </message>
    <message>
        <source>Inspecting nails</source>
        <translation>Fingernägel begutachten</translation>
    </message>
    <message>
        <source>Scratching nose</source>
        <translation>Nase kratzen</translation>
    </message>
    <message>
        <source>Counting sheep</source>
        <translation>Schäfchen zählen</translation>
    </message>
    <message>
        <source>Dozing off</source>
        <translation>Wegdösen</translation>
    </message>
    <message>
        <source>Extracting belly button fluff</source>
        <translation>Bauchnabelfusseln entfernen</translation>
    </message>
    <message>
        <source>Procrastinating tasks</source>
        <translation>Aufgaben aufschieben</translation>
    </message>
    <message>
        <source>Whistling a tune</source>
        <translation>Ein Liedchen pfeifen</translation>
    </message>
    <message>
        <source>Pretending to work</source>
        <translation>So tun, als würde man arbeiten</translation>
    </message>
    <message>
        <source>Sipping coffee</source>
        <translation>Kaffee schlürfen</translation>
    </message>
    <message>
        <source>URL is not valid. Please verify that it is correct and try again.</source>
        <translation>Die URL ist ungültig. Bitte prüfen Sie sie und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Failed to open video. Please check the URL and try again.</source>
        <translation>Das Video konnte nicht geöffnet werden. Bitte prüfen Sie die URL und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Failed to create authenticated URL</source>
        <translation>Die URL mit Anmeldedaten konnte nicht erstellt werden</translation>
    </message>
</context>
<context>
    <name>marquetrix::VideoView</name>
    <message>
        <source>Could not save a snapshot of %1</source>
        <translation>Das Standbild von %1 konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Snapshot saved in %1</source>
        <translation>Standbild gespeichert in %1</translation>
    </message>
</context>
</TS>
