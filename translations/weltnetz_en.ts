<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>ImageExport</name>
    <message>
        <source>JPEG-Datei (*.jpg)</source>
        <translation>JPEG file (*.jpg)</translation>
    </message>
    <message>
        <source>PNG-Datei (*.png)</source>
        <translation>PNG file (*.png)</translation>
    </message>
    <message>
        <source>Bitmap (*.bmp)</source>
        <translation>Bitmap (*.bmp)</translation>
    </message>
    <message>
        <source>die Zwischenablage ist nicht verfügbar</source>
        <translation>the clipboard is not available</translation>
    </message>
    <message>
        <source>die Zwischenablage nimmt die Abbildung nicht an</source>
        <translation>the clipboard does not take the picture</translation>
    </message>
</context>
<context>
    <name>Legend</name>
    <message>
        <source>Flächenverzerrung</source>
        <translation>Area distortion</translation>
    </message>
    <message>
        <source>Winkelverzerrung</source>
        <translation>Angular distortion</translation>
    </message>
</context>
<context>
    <name>MapNavigation</name>
    <message>
        <source>außerhalb der Karte</source>
        <translation>off the map</translation>
    </message>
    <message>
        <source>S</source>
        <extracomment>The read-out&apos;s hemispheres: south and north of the equator.</extracomment>
        <translation>S</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>W</source>
        <extracomment>The read-out&apos;s hemispheres: west and east (Ost) of Greenwich.</extracomment>
        <translation>W</translation>
    </message>
    <message>
        <source>O</source>
        <translation>E</translation>
    </message>
</context>
<context>
    <name>TExportDialog</name>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>Eigenes Bild</source>
        <translation>Own picture</translation>
    </message>
    <message>
        <source>Karte exportieren</source>
        <translation>Export map</translation>
    </message>
    <message>
        <source>karte.png, .jpg, .bmp, .svg oder .pdf</source>
        <translation>map.png, .jpg, .bmp, .svg or .pdf</translation>
    </message>
    <message>
        <source>Durchsuchen…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>Pixel, 1 bis %1</source>
        <translation>Pixels, 1 to %1</translation>
    </message>
    <message>
        <source>Pixel</source>
        <translation>pixels</translation>
    </message>
    <message>
        <source>Detail: das Erdbild in voller Auflösung, weich gezeichnet; für Karten größer als das Fenster die Vorgabe</source>
        <translation>Detail: the Earth picture at full resolution, smoothed; the default for maps larger than the window</translation>
    </message>
    <message>
        <source>Datei:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>Größe:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>Erdbild:</source>
        <translation>Picture:</translation>
    </message>
    <message>
        <source>Exportieren</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>PNG-Datei (*.png);;JPEG-Datei (*.jpg *.jpeg);;Bitmap (*.bmp);;SVG-Grafik (*.svg);;PDF-Dokument (*.pdf)</source>
        <translation>PNG file (*.png);;JPEG file (*.jpg *.jpeg);;Bitmap (*.bmp);;SVG graphic (*.svg);;PDF document (*.pdf)</translation>
    </message>
    <message>
        <source>Breite</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Höhe</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>%1: eine ganze Zahl von 1 bis %2 Pixeln angeben, nicht „%3“. Es wurde nichts geschrieben.</source>
        <translation>%1: give a whole number of pixels from 1 to %2, not “%3”. Nothing was written.</translation>
    </message>
    <message>
        <source>Der Dateiname muss auf .png, .jpg, .jpeg, .bmp, .svg oder .pdf enden: „%1“. Es wurde nichts geschrieben.</source>
        <translation>The file name must end in .png, .jpg, .jpeg, .bmp, .svg or .pdf: “%1”. Nothing was written.</translation>
    </message>
    <message>
        <source>Es ist kein eigenes Erdbild geladen.</source>
        <translation>No Earth picture of your own is loaded.</translation>
    </message>
    <message>
        <source>Zeichnet %1 × %2 Pixel …</source>
        <translation>Drawing %1 × %2 pixels …</translation>
    </message>
    <message>
        <source>Wird abgebrochen …</source>
        <translation>Cancelling …</translation>
    </message>
    <message>
        <source>Geschrieben: %1</source>
        <translation>Written: %1</translation>
    </message>
    <message>
        <source>Abgebrochen; es wurde nichts geschrieben.</source>
        <translation>Cancelled; nothing was written.</translation>
    </message>
    <message>
        <source>Die Karte wurde nicht exportiert.
%1</source>
        <translation>The map was not exported.
%1</translation>
    </message>
</context>
<context>
    <name>Tprojeform</name>
    <message>
        <source>Projektion wählen</source>
        <translation>Choose the projection</translation>
    </message>
    <message>
        <source>Mit den eingestellten Werten neu zeichnen (Eingabetaste)</source>
        <translation>Draw again with the values set (Enter)</translation>
    </message>
    <message>
        <source>Erdradius in Pixeln; auch mit dem Mausrad</source>
        <translation>The Earth&apos;s radius in pixels; also with the mouse wheel</translation>
    </message>
    <message>
        <source>Neigung des Globus um den Kartenmittelpunkt, in Grad</source>
        <translation>Tilt of the globe about the centre of the map, in degrees</translation>
    </message>
    <message>
        <source>Länge des Mittelmeridians, in Grad; auch durch Ziehen der Karte</source>
        <translation>Longitude of the central meridian, in degrees; also by dragging the map</translation>
    </message>
    <message>
        <source>Breitenparameter der Projektion, in Grad</source>
        <translation>The projection&apos;s latitude parameter, in degrees</translation>
    </message>
    <message>
        <source>Zweiter Breitenparameter der Projektion, in Grad</source>
        <translation>The projection&apos;s second latitude parameter, in degrees</translation>
    </message>
    <message>
        <source>Das Farbbild der Erde zeigen</source>
        <translation>Show the colour picture of the Earth</translation>
    </message>
    <message>
        <source>Längen- und Breitenkreise zeigen</source>
        <translation>Show the meridians and parallels</translation>
    </message>
    <message>
        <source>Die Küstenlinien zeigen</source>
        <translation>Show the coastlines</translation>
    </message>
    <message>
        <source>Nach jedem Wechsel der Projektion oder einer Ebene neu zeichnen</source>
        <translation>Draw again after every change of the projection or of a layer</translation>
    </message>
    <message>
        <source>Linien nicht über den Gültigkeitsbereich der Projektion hinaus zeichnen</source>
        <translation>Draw no lines beyond the projection&apos;s valid range</translation>
    </message>
    <message>
        <source>Tissots Indikatrizen an den Schnittpunkten des Koordinatennetzes: wie die Karte einen kleinen Kreis der Erde verzerrt</source>
        <translation>Tissot&apos;s indicatrices at the crossings of the graticule: how the map distorts a small circle on the Earth</translation>
    </message>
    <message>
        <source>Was unter den Linien liegt: das Erdbild, oder die Flächen- oder Winkelverzerrung der Projektion als Farbe</source>
        <translation>What lies beneath the lines: the Earth picture, or the projection&apos;s area or angular distortion as colour</translation>
    </message>
    <message>
        <source>Abbildung speichern</source>
        <translation>Save map</translation>
    </message>
    <message>
        <source>Die Abbildung wurde nicht gespeichert.
%1</source>
        <translation>The map was not saved.
%1</translation>
    </message>
    <message>
        <source>Abbildung kopieren</source>
        <translation>Copy map</translation>
    </message>
    <message>
        <source>Die Abbildung wurde nicht kopiert.
%1</source>
        <translation>The map was not copied.
%1</translation>
    </message>
    <message>
        <source>Erdbild laden</source>
        <translation>Load Earth picture</translation>
    </message>
    <message>
        <source>Bilder (*.png *.jpg *.jpeg);;Alle Dateien (*)</source>
        <translation>Pictures (*.png *.jpg *.jpeg);;All files (*)</translation>
    </message>
    <message>
        <source>Das Bild wurde nicht geladen; das bisherige Erdbild bleibt.
%1</source>
        <translation>The picture was not loaded; the Earth picture stays as it was.
%1</translation>
    </message>
    <message>
        <source>Eigenes Bild</source>
        <translation>Own picture</translation>
    </message>
    <message>
        <source>Weltnetz – Hilfe</source>
        <translation>Weltnetz – Help</translation>
    </message>
    <message>
        <source>Weltnetz zeigt die ganze Erde in einer von 62 Kartenprojektionen.

Liste: wählt die Projektion; Radius, Winkel und Parameter springen auf ihre Vorgaben.
Radius: Erdradius in Pixeln (10 bis 500).
Neigung: kippt den Globus um den Kartenmittelpunkt, in Grad.
Winkel: Länge des Mittelmeridians, in Grad.
Parameter: Breite, die die Projektion festlegt (in Grad); erscheint nur, wo die Projektion eine braucht.
farbige Erdkarte, Koordinatennetz, Küstenlinien: schalten die Ebenen der Karte ein und aus. Ohne farbige Erdkarte bleiben die Küstenlinien an.
Automatik: zeichnet nach jedem Wechsel der Projektion oder einer Ebene sofort neu.
Darstellung oder Eingabetaste: zeichnet mit den eingestellten Werten neu; geänderte Zahlen wirken erst dann.
Randbeschnitt: schneidet Linien ab, wo eine Projektion über ihren Gültigkeitsbereich hinaus zeichnen würde.
Tissot: zeichnet Tissots Indikatrizen, die Bilder kleiner Kreise der Erde; auf winkeltreuen Karten bleiben sie Kreise, auf flächentreuen behalten sie ihre Fläche.
Erdbild, Flächenverzerrung, Winkelverzerrung: was unter den Linien liegt, das Farbbild der Erde oder die Verzerrung der Projektion als Farbe, mit einer Legende.

Mit der Maus: Ziehen dreht den Globus (Winkel, bei Azimutalprojektionen auch die Mittelbreite), das Mausrad vergrößert und verkleinert, ein Doppelklick rückt den Punkt in die Mitte. Unter der Karte steht die Position des Mauszeigers.

Erdbild: Standard zeigt das Erdbild des Programms, Detail dasselbe in voller Auflösung, weich gezeichnet. Erdbild laden: ein eigenes Bild der ganzen Erde (PNG oder JPEG, doppelt so breit wie hoch).

Knöpfe oben links: Programm beenden (auch Esc), Abbildung als JPEG-, Bitmap- oder PNG-Datei speichern, Abbildung in die Zwischenablage kopieren, Karte exportieren: in beliebiger Größe bis 8192 × 8192 Pixel als PNG, JPEG, BMP, SVG oder PDF, mit dem Rezept der Karte in der Datei.</source>
        <translation>Weltnetz shows the whole Earth in one of 62 map projections.

List: chooses the projection; Radius, Meridian and Parameter jump to its defaults.
Radius: the Earth&apos;s radius in pixels (10 to 500).
Tilt: tilts the globe about the centre of the map, in degrees.
Meridian: longitude of the central meridian, in degrees.
Parameter: a latitude that sets the projection up (in degrees); shown only where the projection needs one.
Colour map, Graticule, Coastlines: switch the layers of the map on and off. Without the colour map the coastlines stay on.
Automatic: draws again at once after every change of the projection or of a layer.
Draw or the Enter key: draws again with the values set; changed numbers take effect only then.
Clip lines: cuts lines off where a projection would draw beyond its valid range.
Tissot: draws Tissot&apos;s indicatrices, the images of small circles on the Earth; on conformal maps they stay circles, on equal-area maps they keep their area.
Earth picture, Area distortion, Angular distortion: what lies beneath the lines, the colour picture of the Earth or the projection&apos;s distortion as colour, with a legend.

With the mouse: dragging turns the globe (Meridian, and for the azimuthal projections the centre latitude too), the mouse wheel zooms in and out, a double click brings the point to the centre. Below the map stands the position of the mouse pointer.

Picture: Standard shows the program&apos;s Earth picture, Detail the same at full resolution, smoothed. Load picture: a picture of the whole Earth of your own (PNG or JPEG, twice as wide as high).

Buttons at the top left: quit the program (also Esc), save the map as a JPEG, bitmap or PNG file, copy the map to the clipboard, export the map: at any size up to 8192 × 8192 pixels as PNG, JPEG, BMP, SVG or PDF, with the map&apos;s recipe in the file.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Weltnetz kann nicht starten:
%1</source>
        <translation>Weltnetz cannot start:
%1</translation>
    </message>
</context>
<context>
    <name>projeform</name>
    <message>
        <source>Teilprogramm beenden</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Abbildung speichern</source>
        <translation>Save map</translation>
    </message>
    <message>
        <source>Abbildung kopieren</source>
        <translation>Copy map</translation>
    </message>
    <message>
        <source>Exportieren…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Darstellung</source>
        <translation>Draw</translation>
    </message>
    <message>
        <source>Radius</source>
        <translation>Radius</translation>
    </message>
    <message>
        <source>Neigung</source>
        <translation>Tilt</translation>
    </message>
    <message>
        <source>Winkel</source>
        <translation>Meridian</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>farbige Erdkarte</source>
        <translation>Colour map</translation>
    </message>
    <message>
        <source>Koordinatennetz</source>
        <translation>Graticule</translation>
    </message>
    <message>
        <source>Küstenlinien</source>
        <translation>Coastlines</translation>
    </message>
    <message>
        <source>Automatik</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>Randbeschnitt</source>
        <translation>Clip lines</translation>
    </message>
    <message>
        <source>Tissot</source>
        <translation>Tissot</translation>
    </message>
    <message>
        <source>Erdbild</source>
        <translation>Earth picture</translation>
    </message>
    <message>
        <source>Flächenverzerrung</source>
        <translation>Area distortion</translation>
    </message>
    <message>
        <source>Winkelverzerrung</source>
        <translation>Angular distortion</translation>
    </message>
    <message>
        <source>Erdbild:</source>
        <translation>Picture:</translation>
    </message>
    <message>
        <source>Standard: das Erdbild des Programms (300 × 150); Detail: in voller Auflösung (720 × 360), weich gezeichnet</source>
        <translation>Standard: the program&apos;s Earth picture (300 × 150); Detail: at full resolution (720 × 360), smoothed</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>Erdbild laden…</source>
        <translation>Load picture…</translation>
    </message>
    <message>
        <source>Ein eigenes Bild der ganzen Erde laden: PNG oder JPEG, abstandstreu, doppelt so breit wie hoch (z. B. 5400 × 2700)</source>
        <translation>Load a picture of the whole Earth of your own: PNG or JPEG, equirectangular, twice as wide as high (e.g. 5400 × 2700)</translation>
    </message>
    <message>
        <source>enter</source>
        <translation>enter</translation>
    </message>
    <message>
        <source>ende</source>
        <translation>quit</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
</context>
</TS>
