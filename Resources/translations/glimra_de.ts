<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>DrawingToolClone</name>
    <message>
        <source>&lt;b&gt;Please define a source point for cloning!&lt;/b&gt;&lt;br&gt;Hold down the %1 key and left-click on the area you want to clone. Then, release the %1 key and paint over the area you want to erase.</source>
        <translation>&lt;b&gt;Bitte legen Sie zuerst einen Quellpunkt zum Klonen fest!&lt;/b&gt;&lt;br&gt;Halten Sie die Taste %1 gedrückt und klicken Sie mit der linken Maustaste auf den Bereich, den Sie klonen möchten. Lassen Sie dann die Taste %1 los und malen Sie über den Bereich, den Sie entfernen möchten.</translation>
    </message>
    <message>
        <source>Hold down the %1 key and left-click on the area you want to clone. Then, release the %1 key and paint over the area you want to erase.</source>
        <translation>Halten Sie die Taste %1 gedrückt und klicken Sie mit der linken Maustaste auf den Bereich, den Sie klonen möchten. Lassen Sie dann die Taste %1 los und malen Sie über den Bereich, den Sie entfernen möchten.</translation>
    </message>
</context>
<context>
    <name>DrawingToolCrop</name>
    <message>
        <source>Draw the crop area then double-click inside to apply crop.</source>
        <translation>Ziehen Sie den Zuschneidebereich auf und doppelklicken Sie dann hinein, um das Bild zuzuschneiden.</translation>
    </message>
</context>
<context>
    <name>DrawingToolWand</name>
    <message>
        <source>The Magic Wand tool allows you to select areas of similar colors with a single click. Use tolerance to control the range of colors selected with one click.</source>
        <translation>Mit dem Zauberstab wählen Sie Bereiche ähnlicher Farbe mit einem einzigen Klick aus. Über die Toleranz legen Sie fest, wie weit die Farben abweichen dürfen, die ein Klick auswählt.</translation>
    </message>
</context>
<context>
    <name>ExtensionFormatHelper</name>
    <message>
        <source>All Files</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
</context>
<context>
    <name>FileInfo</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Jpeg</name>
    <message>
        <source>JPEG Options</source>
        <translation>JPEG-Optionen</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
</context>
<context>
    <name>LassoSelectionWidget</name>
    <message>
        <source>Lasso</source>
        <translation>Lasso</translation>
    </message>
    <message>
        <source>Polygon</source>
        <translation>Polygon</translation>
    </message>
    <message>
        <source>Polygonal Lasso</source>
        <translation>Polygon-Lasso</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Glimra</source>
        <translation>Glimra</translation>
    </message>
    <message>
        <source>Open image file</source>
        <translation>Bilddatei öffnen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>MacOSMenu</source>
        <translation>MacOSMenu</translation>
    </message>
    <message>
        <source> Language</source>
        <translation> Sprache</translation>
    </message>
    <message>
        <source> Theme</source>
        <translation> Design</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source> Edit</source>
        <translation> Bearbeiten</translation>
    </message>
    <message>
        <source>Selection tools</source>
        <translation>Auswahlwerkzeuge</translation>
    </message>
    <message>
        <source>Transformation</source>
        <translation>Transformieren</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Design</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source> About product</source>
        <translation> Über das Programm</translation>
    </message>
    <message>
        <source> Check for Updates…</source>
        <translation> Nach Updates suchen…</translation>
    </message>
    <message>
        <source> Preferences...</source>
        <translation> Einstellungen...</translation>
    </message>
    <message>
        <source> Hide Glimra</source>
        <translation> Glimra ausblenden</translation>
    </message>
    <message>
        <source> Hide Others</source>
        <translation> Andere ausblenden</translation>
    </message>
    <message>
        <source> Show All</source>
        <translation> Alle einblenden</translation>
    </message>
    <message>
        <source> Quit</source>
        <translation> Beenden</translation>
    </message>
    <message>
        <source>Open...</source>
        <translation>Öffnen...</translation>
    </message>
    <message>
        <source>Save As…</source>
        <translation>Speichern unter…</translation>
    </message>
    <message>
        <source>File Information</source>
        <translation>Dateiinformationen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Alt+F4</source>
        <translation>Alt+F4</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Start Erasing</source>
        <translation>Entfernen starten</translation>
    </message>
    <message>
        <source>Brush</source>
        <translation>Pinsel</translation>
    </message>
    <message>
        <source>Lasso</source>
        <translation>Lasso</translation>
    </message>
    <message>
        <source>Eraser</source>
        <translation>Radiergummi</translation>
    </message>
    <message>
        <source>Reset Selection</source>
        <translation>Auswahl aufheben</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Actual Size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>Fit to Screen</source>
        <translation>An Bildschirm anpassen</translation>
    </message>
    <message>
        <source>Help Topics</source>
        <translation>Hilfethemen</translation>
    </message>
    <message>
        <source>FAQ</source>
        <translation>Häufige Fragen</translation>
    </message>
    <message>
        <source>Contact support</source>
        <translation>Support kontaktieren</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Einstellungen...</translation>
    </message>
    <message>
        <source>Polygonal Lasso</source>
        <translation>Polygon-Lasso</translation>
    </message>
    <message>
        <source>Save Selection...</source>
        <translation>Auswahl speichern...</translation>
    </message>
    <message>
        <source>Open Selection...</source>
        <translation>Auswahl öffnen...</translation>
    </message>
    <message>
        <source>Clone</source>
        <translation>Klonen</translation>
    </message>
    <message>
        <source>Reset All Changes</source>
        <translation>Alle Änderungen verwerfen</translation>
    </message>
    <message>
        <source>Wand</source>
        <translation>Zauberstab</translation>
    </message>
    <message>
        <source>Increase Selection</source>
        <translation>Auswahl vergrößern</translation>
    </message>
    <message>
        <source>Decrease Selection</source>
        <translation>Auswahl verkleinern</translation>
    </message>
    <message>
        <source>test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Magic Enhance</source>
        <translation>Automatisch verbessern</translation>
    </message>
    <message>
        <source>Flip Horizontally</source>
        <translation>Horizontal spiegeln</translation>
    </message>
    <message>
        <source>Flip Vertically</source>
        <translation>Vertikal spiegeln</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Drehen</translation>
    </message>
    <message>
        <source>Print...</source>
        <translation>Drucken...</translation>
    </message>
    <message>
        <source>Image Size...</source>
        <translation>Bildgröße...</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>Zuschneiden</translation>
    </message>
    <message>
        <source>Zentor Forum</source>
        <translation>Zentor-Forum</translation>
    </message>
</context>
<context>
    <name>PreferencesDialog</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Languages</source>
        <translation>Sprachen</translation>
    </message>
    <message>
        <source>Automatically check for updates</source>
        <translation>Automatisch nach Updates suchen</translation>
    </message>
    <message>
        <source>Send anonymous usage stats to Zentor</source>
        <translation>Anonyme Nutzungsstatistiken an Zentor senden</translation>
    </message>
</context>
<context>
    <name>ProgressBar</name>
    <message>
        <source>Processing...</source>
        <translation>Verarbeitung...</translation>
    </message>
    <message>
        <source>Erasing in progress, please wait…</source>
        <translation>Objekte werden entfernt, bitte warten…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Probably %1</source>
        <translation>Vermutlich %1</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>%1 File Info</source>
        <translation>%1 – Dateiinformationen</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Speicherort</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Dateigröße</translation>
    </message>
    <message>
        <source>Dimensions</source>
        <translation>Abmessungen</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Format unknown</source>
        <translation>Format unbekannt</translation>
    </message>
    <message>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>n/a</source>
        <translation>k. A.</translation>
    </message>
    <message>
        <source>Date created</source>
        <translation>Erstellt am</translation>
    </message>
    <message>
        <source>Date modified</source>
        <translation>Geändert am</translation>
    </message>
    <message>
        <source>Date taken</source>
        <translation>Aufgenommen am</translation>
    </message>
    <message>
        <source>Camera maker</source>
        <translation>Kamerahersteller</translation>
    </message>
    <message>
        <source>Camera model</source>
        <translation>Kameramodell</translation>
    </message>
    <message>
        <source>F number</source>
        <translation>Blendenzahl</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Exposure time</source>
        <translation>Belichtungszeit</translation>
    </message>
    <message>
        <source>Flash mode</source>
        <translation>Blitzmodus</translation>
    </message>
    <message>
        <source>Focal length</source>
        <translation>Brennweite</translation>
    </message>
    <message>
        <source>Focal length in 35mm</source>
        <translation>Brennweite (35-mm-Äquivalent)</translation>
    </message>
    <message>
        <source>Light source</source>
        <translation>Lichtquelle</translation>
    </message>
    <message>
        <source>Scene capture</source>
        <translation>Aufnahmeart</translation>
    </message>
    <message>
        <source>Subject distance range</source>
        <translation>Motiventfernung</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Ausrichtung</translation>
    </message>
    <message>
        <source>Color space</source>
        <translation>Farbraum</translation>
    </message>
    <message>
        <source>X resolution</source>
        <translation>Horizontale Auflösung</translation>
    </message>
    <message>
        <source>Y resolution</source>
        <translation>Vertikale Auflösung</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Kontrast</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Sättigung</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>Schärfe</translation>
    </message>
    <message>
        <source>Exposure mode</source>
        <translation>Belichtungsmodus</translation>
    </message>
    <message>
        <source>White balance</source>
        <translation>Weißabgleich</translation>
    </message>
    <message>
        <source>Digital zoom</source>
        <translation>Digitalzoom</translation>
    </message>
    <message>
        <source>No flash</source>
        <translation>Kein Blitz</translation>
    </message>
    <message>
        <source>Fired</source>
        <translation>Ausgelöst</translation>
    </message>
    <message>
        <source>Fired, return light not detected</source>
        <translation>Ausgelöst, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Fired, return light detected</source>
        <translation>Ausgelöst, Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, did not fire</source>
        <translation>Ja, nicht ausgelöst</translation>
    </message>
    <message>
        <source>Yes, compulsory</source>
        <translation>Ja, erzwungen</translation>
    </message>
    <message>
        <source>Yes, compulsory, return light not detected</source>
        <translation>Ja, erzwungen, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, compulsory, return light detected</source>
        <translation>Ja, erzwungen, Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>No, compulsory</source>
        <translation>Nein, erzwungen</translation>
    </message>
    <message>
        <source>No, did not fire, return light not detected</source>
        <translation>Nein, nicht ausgelöst, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>No, auto</source>
        <translation>Nein, automatisch</translation>
    </message>
    <message>
        <source>Yes, auto</source>
        <translation>Ja, automatisch</translation>
    </message>
    <message>
        <source>Yes, auto, return light not detected</source>
        <translation>Ja, automatisch, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, auto, return light detected</source>
        <translation>Ja, automatisch, Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>No flash function</source>
        <translation>Keine Blitzfunktion</translation>
    </message>
    <message>
        <source>Yes, red-eye reduction</source>
        <translation>Ja, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <source>Yes, red-eye reduction, return light not detected</source>
        <translation>Ja, Rote-Augen-Reduzierung, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, red-eye reduction, return light detected</source>
        <translation>Ja, Rote-Augen-Reduzierung, Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, compulsory, red-eye reduction</source>
        <translation>Ja, erzwungen, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <source>Yes, compulsory, red-eye reduction, return light not detected</source>
        <translation>Ja, erzwungen, Rote-Augen-Reduzierung, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, compulsory, red-eye reduction, return light detected</source>
        <translation>Ja, erzwungen, Rote-Augen-Reduzierung, Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>No, red-eye reduction</source>
        <translation>Nein, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <source>No, auto, red-eye reduction</source>
        <translation>Nein, automatisch, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <source>Yes, auto, red-eye reduction</source>
        <translation>Ja, automatisch, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <source>Yes, auto, red-eye reduction, return light not detected</source>
        <translation>Ja, automatisch, Rote-Augen-Reduzierung, kein Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Yes, auto, red-eye reduction, return light detected</source>
        <translation>Ja, automatisch, Rote-Augen-Reduzierung, Reflexlicht erkannt</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Flipped horizontally</source>
        <translation>Horizontal gespiegelt</translation>
    </message>
    <message>
        <source>Rotated 180 degrees</source>
        <translation>Um 180 Grad gedreht</translation>
    </message>
    <message>
        <source>Flipped vertically</source>
        <translation>Vertikal gespiegelt</translation>
    </message>
    <message>
        <source>Flipped vertically and rotated 90 degrees</source>
        <translation>Vertikal gespiegelt und um 90 Grad gedreht</translation>
    </message>
    <message>
        <source>Rotated 270 degrees</source>
        <translation>Um 270 Grad gedreht</translation>
    </message>
    <message>
        <source>Flipped vertically and rotated 270 degrees</source>
        <translation>Vertikal gespiegelt und um 270 Grad gedreht</translation>
    </message>
    <message>
        <source>Rotated 90 degrees</source>
        <translation>Um 90 Grad gedreht</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Daylight</source>
        <translation>Tageslicht</translation>
    </message>
    <message>
        <source>Fluorescent</source>
        <translation>Leuchtstofflampe</translation>
    </message>
    <message>
        <source>Tungsten (incandescent light)</source>
        <translation>Kunstlicht (Glühlampe)</translation>
    </message>
    <message>
        <source>Flash</source>
        <translation>Blitz</translation>
    </message>
    <message>
        <source>Fine weather</source>
        <translation>Sonnig</translation>
    </message>
    <message>
        <source>Cloudy weather</source>
        <translation>Bewölkt</translation>
    </message>
    <message>
        <source>Shade</source>
        <translation>Schatten</translation>
    </message>
    <message>
        <source>Daylight fluorescent (D 5700 - 7100K)</source>
        <translation>Tageslicht-Leuchtstofflampe (D 5700 - 7100K)</translation>
    </message>
    <message>
        <source>Day white fluorescent (N 4600 - 5400K)</source>
        <translation>Tagweiße Leuchtstofflampe (N 4600 - 5400K)</translation>
    </message>
    <message>
        <source>Cool white fluorescent (W 3900 - 4500K)</source>
        <translation>Kaltweiße Leuchtstofflampe (W 3900 - 4500K)</translation>
    </message>
    <message>
        <source>White fluorescent (WW 3200 - 3700K)</source>
        <translation>Weiße Leuchtstofflampe (WW 3200 - 3700K)</translation>
    </message>
    <message>
        <source>Standard light A</source>
        <translation>Normlicht A</translation>
    </message>
    <message>
        <source>Standard light B</source>
        <translation>Normlicht B</translation>
    </message>
    <message>
        <source>Standard light C</source>
        <translation>Normlicht C</translation>
    </message>
    <message>
        <source>D55</source>
        <translation>D55</translation>
    </message>
    <message>
        <source>D65</source>
        <translation>D65</translation>
    </message>
    <message>
        <source>D75</source>
        <translation>D75</translation>
    </message>
    <message>
        <source>D50</source>
        <translation>D50</translation>
    </message>
    <message>
        <source>ISO studio tungsten</source>
        <translation>ISO-Studio-Kunstlicht</translation>
    </message>
    <message>
        <source>Other light source</source>
        <translation>Andere Lichtquelle</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Landschaft</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Porträt</translation>
    </message>
    <message>
        <source>Night scene</source>
        <translation>Nachtaufnahme</translation>
    </message>
    <message>
        <source>Macro</source>
        <translation>Makro</translation>
    </message>
    <message>
        <source>Close view</source>
        <translation>Nahaufnahme</translation>
    </message>
    <message>
        <source>Distant view</source>
        <translation>Fernaufnahme</translation>
    </message>
    <message>
        <source>sRGB</source>
        <translation>sRGB</translation>
    </message>
    <message>
        <source>Adobe RGB</source>
        <translation>Adobe RGB</translation>
    </message>
    <message>
        <source>Uncalibrated</source>
        <translation>Nicht kalibriert</translation>
    </message>
    <message>
        <source>Soft</source>
        <translation>Weich</translation>
    </message>
    <message>
        <source>Hard</source>
        <translation>Hart</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <source>Auto bracket</source>
        <translation>Belichtungsreihe</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>inch</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>Resolution unit</source>
        <translation>Auflösungseinheit</translation>
    </message>
</context>
<context>
    <name>ResizeDialog</name>
    <message>
        <source>Image Size</source>
        <translation>Bildgröße</translation>
    </message>
    <message>
        <source>Current size</source>
        <translation>Aktuelle Größe</translation>
    </message>
    <message>
        <source>Fit into:</source>
        <translation>Einpassen in:</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Breite:</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Höhe:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <source>Scale proportionally</source>
        <translation>Proportional skalieren</translation>
    </message>
    <message>
        <source>Resample image</source>
        <translation>Bild neu berechnen</translation>
    </message>
</context>
<context>
    <name>SimpleEffectsWidget</name>
    <message>
        <source>Crop image</source>
        <translation>Bild zuschneiden</translation>
    </message>
    <message>
        <source>crop</source>
        <translation>zuschneiden</translation>
    </message>
    <message>
        <source>Resize image</source>
        <translation>Bildgröße ändern</translation>
    </message>
    <message>
        <source>resize</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Vertical flip</source>
        <translation>Vertikal spiegeln</translation>
    </message>
    <message>
        <source>v flip</source>
        <translation>v. spiegeln</translation>
    </message>
    <message>
        <source>Horizontal flip</source>
        <translation>Horizontal spiegeln</translation>
    </message>
    <message>
        <source>h flip</source>
        <translation>h. spiegeln</translation>
    </message>
    <message>
        <source>Rotate Clockwise</source>
        <translation>Im Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>rotate</source>
        <translation>drehen</translation>
    </message>
    <message>
        <source>Magic enhance</source>
        <translation>Automatisch verbessern</translation>
    </message>
</context>
<context>
    <name>Tiff</name>
    <message>
        <source>TIFF Options</source>
        <translation>TIFF-Optionen</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>Komprimierung</translation>
    </message>
    <message>
        <source>PackBits</source>
        <translation>PackBits</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>LZW</source>
        <translation>LZW</translation>
    </message>
    <message>
        <source>ZIP</source>
        <translation>ZIP</translation>
    </message>
</context>
<context>
    <name>ToolTipWidget</name>
    <message>
        <source>ToolTipWidget</source>
        <translation>ToolTipWidget</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Don&apos;t show anymore</source>
        <translation>Nicht mehr anzeigen</translation>
    </message>
</context>
<context>
    <name>ToolsWidget</name>
    <message>
        <source>Select objects</source>
        <translation>Objekte auswählen</translation>
    </message>
    <message>
        <source>Selection tools</source>
        <translation>Auswahlwerkzeuge</translation>
    </message>
    <message>
        <source>Clone</source>
        <translation>Klonen</translation>
    </message>
    <message>
        <source>Brush</source>
        <translation>Pinsel</translation>
    </message>
    <message>
        <source>Wand</source>
        <translation>Zauberstab</translation>
    </message>
    <message>
        <source>Lasso</source>
        <translation>Lasso</translation>
    </message>
    <message>
        <source>Eraser</source>
        <translation>Radiergummi</translation>
    </message>
    <message>
        <source>Erase selection</source>
        <translation>Auswahl radieren</translation>
    </message>
    <message>
        <source>Clone stamp</source>
        <translation>Kopierstempel</translation>
    </message>
    <message>
        <source>Diameter</source>
        <translation>Durchmesser</translation>
    </message>
    <message>
        <source>Color difference</source>
        <translation>Farbabweichung</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>Unschärfe</translation>
    </message>
    <message>
        <source>Reset Selection</source>
        <translation>Auswahl aufheben</translation>
    </message>
    <message>
        <source>Deselect all selected areas</source>
        <translation>Alle ausgewählten Bereiche abwählen</translation>
    </message>
    <message>
        <source>Source distance</source>
        <translation>Quellabstand</translation>
    </message>
    <message>
        <source>&lt;p&gt;Depending on the size of the object that you want to erase and the photo’s background, different values may provide different results. Try several values to see which works best for your image.&lt;/p&gt;</source>
        <translation>&lt;p&gt;Je nach Größe des Objekts, das Sie entfernen möchten, und nach Hintergrund des Fotos liefern verschiedene Werte unterschiedliche Ergebnisse. Probieren Sie mehrere Werte aus, um herauszufinden, welcher für Ihr Bild am besten passt.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Start Erasing</source>
        <translation>Entfernen starten</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Reset All Changes</source>
        <translation>Alle Änderungen verwerfen</translation>
    </message>
</context>
<context>
    <name>UndoWidget</name>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
</context>
<context>
    <name>WorkspaceView</name>
    <message>
        <source>Click and drag while holding the space bar or right-click and drag to move the zoomed image around.</source>
        <translation>Klicken und ziehen Sie bei gedrückter Leertaste oder ziehen Sie mit gedrückter rechter Maustaste, um das vergrößerte Bild zu verschieben.</translation>
    </message>
</context>
<context>
    <name>WorkspaceWidget</name>
    <message>
        <source>&lt;table align=&quot;center&quot; border=&quot;0&quot; cellpadding=&quot;3&quot;&gt;&lt;tr&gt;&lt;td style=&quot;font-size:36px; font-weight:bold;&quot;&gt;Drag &amp;amp; drop&lt;/td&gt;&lt;td rowspan=&quot;2&quot; style=&quot;padding-top:12px;&quot;&gt;&lt;img src=&quot;:/Glimra/images/drop.png&quot; width=&quot;100&quot; height=&quot;80&quot;/&gt;&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td style=&quot;font-size:24px; font-weight:bold;&quot;&gt;image file here&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td style=&quot;font-size:18px; font-weight:bold;&quot;&gt;or&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;</source>
        <translation>&lt;table align=&quot;center&quot; border=&quot;0&quot; cellpadding=&quot;3&quot;&gt;&lt;tr&gt;&lt;td style=&quot;font-size:36px; font-weight:bold;&quot;&gt;Bilddatei&lt;/td&gt;&lt;td rowspan=&quot;2&quot; style=&quot;padding-top:12px;&quot;&gt;&lt;img src=&quot;:/Glimra/images/drop.png&quot; width=&quot;100&quot; height=&quot;80&quot;/&gt;&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td style=&quot;font-size:24px; font-weight:bold;&quot;&gt;hierher ziehen&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td style=&quot;font-size:18px; font-weight:bold;&quot;&gt;oder&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;</translation>
    </message>
    <message>
        <source>Browse File</source>
        <translation>Datei auswählen</translation>
    </message>
    <message>
        <source>Open last edited file</source>
        <translation>Zuletzt bearbeitete Datei öffnen</translation>
    </message>
    <message>
        <source>fit</source>
        <translation>einpassen</translation>
    </message>
    <message>
        <source>Fit to screen</source>
        <translation>An Bildschirm anpassen</translation>
    </message>
    <message>
        <source>1:1</source>
        <translation>1:1</translation>
    </message>
    <message>
        <source>Actual size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>hand</source>
        <translation>Hand</translation>
    </message>
    <message>
        <source>Move image</source>
        <translation>Bild verschieben</translation>
    </message>
    <message>
        <source>i</source>
        <translation>i</translation>
    </message>
    <message>
        <source>File information</source>
        <translation>Dateiinformationen</translation>
    </message>
    <message>
        <source>Zoom: %1%</source>
        <translation>Zoom: %1 %</translation>
    </message>
</context>
<context>
    <name>Zentor::App::AboutBoxDialog</name>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>A photo retouching editor.</source>
        <translation>Ein Programm zur Retusche von Fotos.</translation>
    </message>
    <message>
        <source>Home page</source>
        <translation>Startseite</translation>
    </message>
</context>
<context>
    <name>Zentor::App::LookAndFeelActionHandler</name>
    <message>
        <source>More Languages...</source>
        <translation>Weitere Sprachen...</translation>
    </message>
</context>
<context>
    <name>Zentor::App::UpdateManager</name>
    <message>
        <source>Check for Updates</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>Updates of this program come through your system&apos;s package manager.</source>
        <translation>Updates dieses Programms kommen über die Paketverwaltung Ihres Systems.</translation>
    </message>
</context>
<context>
    <name>Zentor::Glimra::MainWindow</name>
    <message>
        <source>&lt;b&gt;Would you like to save changes?&lt;/b&gt;&lt;br&gt;All unsaved changes will be lost.</source>
        <translation>&lt;b&gt;Möchten Sie die Änderungen speichern?&lt;/b&gt;&lt;br&gt;Alle nicht gespeicherten Änderungen gehen sonst verloren.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Don&apos;t Save</source>
        <translation>Nicht speichern</translation>
    </message>
    <message>
        <source>&lt;b&gt;Could not open the file &apos;%1&apos;.&lt;/b&gt;&lt;br&gt;The image is corrupted or in an unsupported file format.</source>
        <translation>&lt;b&gt;Die Datei „%1“ konnte nicht geöffnet werden.&lt;/b&gt;&lt;br&gt;Das Bild ist beschädigt oder liegt in einem nicht unterstützten Dateiformat vor.</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>File Types:</source>
        <translation>Dateitypen:</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Overwrite existing file?</source>
        <translation>Vorhandene Datei überschreiben?</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>Save As...</source>
        <translation>Speichern unter...</translation>
    </message>
    <message>
        <source>The picture could not be printed.</source>
        <translation>Das Bild konnte nicht gedruckt werden.</translation>
    </message>
    <message>
        <source>Attention</source>
        <translation>Achtung</translation>
    </message>
    <message>
        <source>&lt;b&gt;Could not open the file &apos;%1&apos;.&lt;/b&gt;&lt;br&gt;%2</source>
        <translation>&lt;b&gt;Die Datei „%1“ konnte nicht geöffnet werden.&lt;/b&gt;&lt;br&gt;%2</translation>
    </message>
    <message>
        <source>The last session could not be restored; the picture was opened as saved.</source>
        <translation>Die letzte Sitzung konnte nicht wiederhergestellt werden; das Bild wurde so geöffnet, wie es gespeichert ist.</translation>
    </message>
</context>
<context>
    <name>Zentor::Glimra::Mediator</name>
    <message>
        <source>Allowed options</source>
        <translation>Erlaubte Optionen</translation>
    </message>
    <message>
        <source>show this message</source>
        <translation>diese Meldung anzeigen</translation>
    </message>
    <message>
        <source>input file</source>
        <translation>Eingabedatei</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>Dateiname</translation>
    </message>
</context>
<context>
    <name>Zentor::Glimra::ResizeDialog</name>
    <message>
        <source>Current image size is %1 %3 %2</source>
        <translation>Aktuelle Bildgröße: %1 %3 %2</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>percents</source>
        <translation>Prozent</translation>
    </message>
    <message>
        <source>inches</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>points</source>
        <translation>Punkt</translation>
    </message>
    <message>
        <source>pixels/inch</source>
        <translation>Pixel/Zoll</translation>
    </message>
    <message>
        <source>pixels/cm</source>
        <translation>Pixel/cm</translation>
    </message>
    <message>
        <source> px</source>
        <translation> px</translation>
    </message>
    <message>
        <source> cm</source>
        <translation> cm</translation>
    </message>
    <message>
        <source> inches</source>
        <translation> Zoll</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
    <message>
        <source>A7 (</source>
        <translation>A7 (</translation>
    </message>
    <message>
        <source>A6 (</source>
        <translation>A6 (</translation>
    </message>
    <message>
        <source>A5 (</source>
        <translation>A5 (</translation>
    </message>
    <message>
        <source>A4 (</source>
        <translation>A4 (</translation>
    </message>
    <message>
        <source>iPad Air - </source>
        <translation>iPad Air - </translation>
    </message>
    <message>
        <source>iPad mini - </source>
        <translation>iPad mini - </translation>
    </message>
    <message>
        <source>iPhone 5 - </source>
        <translation>iPhone 5 - </translation>
    </message>
    <message>
        <source>iPhone 4 - </source>
        <translation>iPhone 4 - </translation>
    </message>
</context>
<context>
    <name>Zentor::Glimra::SaveFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 ist bereits vorhanden.
Möchten Sie die Datei ersetzen?</translation>
    </message>
</context>
<context>
    <name>Zentor::Glimra::SaveOptions::Jpeg</name>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>Zentor::Glimra::ToolsWidget</name>
    <message>
        <source>Polygonal Lasso</source>
        <translation>Polygon-Lasso</translation>
    </message>
    <message>
        <source>Lasso</source>
        <translation>Lasso</translation>
    </message>
    <message>
        <source>Brush size:</source>
        <translation>Pinselgröße:</translation>
    </message>
    <message>
        <source>Eraser size:</source>
        <translation>Radiergröße:</translation>
    </message>
    <message>
        <source>Stamp size:</source>
        <translation>Stempelgröße:</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>allImages</source>
        <translation>Alle Bilder</translation>
    </message>
    <message>
        <source>Not enough memory</source>
        <translation>Nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>The folder containing temporary data is unavailable.
Please restart the program.</source>
        <translation>Der Ordner für temporäre Daten ist nicht verfügbar.
Bitte starten Sie das Programm neu.</translation>
    </message>
    <message>
        <source>Crop settings incomplete.</source>
        <translation>Die Einstellungen zum Zuschneiden sind unvollständig.</translation>
    </message>
    <message>
        <source>Crop selection out of range.</source>
        <translation>Der Zuschneidebereich liegt außerhalb des Bildes.</translation>
    </message>
    <message>
        <source>An effect is running</source>
        <translation>Gerade wird ein Effekt angewendet</translation>
    </message>
    <message>
        <source>No selection was given.</source>
        <translation>Es wurde keine Auswahl getroffen.</translation>
    </message>
    <message>
        <source>The selection could not be resized</source>
        <translation>Die Größe der Auswahl konnte nicht geändert werden</translation>
    </message>
    <message>
        <source>The session has no current picture</source>
        <translation>Es ist kein Bild geöffnet</translation>
    </message>
    <message>
        <source>There is no picture to save</source>
        <translation>Es ist kein Bild zum Speichern vorhanden</translation>
    </message>
    <message>
        <source>There is no picture to crop</source>
        <translation>Es ist kein Bild zum Zuschneiden vorhanden</translation>
    </message>
    <message>
        <source>There is no picture to paint on</source>
        <translation>Es ist kein Bild zum Bemalen vorhanden</translation>
    </message>
    <message>
        <source>There is no picture to clone from</source>
        <translation>Es ist kein Bild vorhanden, aus dem geklont werden kann</translation>
    </message>
    <message>
        <source>There is no picture to blend onto</source>
        <translation>Es ist kein Bild vorhanden, auf das überblendet werden kann</translation>
    </message>
    <message>
        <source>There is no picture to apply the effect to</source>
        <translation>Es ist kein Bild vorhanden, auf das der Effekt angewendet werden kann</translation>
    </message>
    <message>
        <source>The picture cannot be encoded in the chosen format</source>
        <translation>Das Bild kann im gewählten Format nicht gespeichert werden</translation>
    </message>
    <message>
        <source>No encoder for the save settings</source>
        <translation>Für diese Speichereinstellungen gibt es keinen Encoder</translation>
    </message>
    <message>
        <source>The encoder gave no data</source>
        <translation>Der Encoder hat keine Daten geliefert</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a regular file</source>
        <translation>„%1“ ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: Permission denied</source>
        <translation>„%1“ kann nicht geöffnet werden: Zugriff verweigert</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: No such file or directory</source>
        <translation>„%1“ kann nicht geöffnet werden: Datei oder Ordner nicht gefunden</translation>
    </message>
</context>
</TS>
