<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>EarthData</name>
    <message>
        <source>coastline resource &apos;%1&apos;: %2</source>
        <translation>Küstenlinien-Ressource „%1“: %2</translation>
    </message>
    <message>
        <source>cannot be opened (%1)</source>
        <translation>lässt sich nicht öffnen (%1)</translation>
    </message>
    <message>
        <source>read failed after %1 bytes (%2)</source>
        <translation>Lesefehler nach %1 Bytes (%2)</translation>
    </message>
    <message>
        <source>holds no points</source>
        <translation>enthält keine Punkte</translation>
    </message>
    <message>
        <source>%1 bytes are not a whole number of %2-byte records</source>
        <translation>%1 Bytes sind keine ganze Zahl von Datensätzen zu %2 Bytes</translation>
    </message>
    <message>
        <source>record %1 holds a value that is not a finite number</source>
        <translation>Datensatz %1 enthält einen Wert, der keine endliche Zahl ist</translation>
    </message>
    <message>
        <source>record %1 has latitude %2, beyond +-90</source>
        <translation>Datensatz %1 hat die Breite %2, jenseits von ±90</translation>
    </message>
    <message>
        <source>Earth picture resource &apos;%1&apos; cannot be read</source>
        <translation>die Erdbild-Ressource „%1“ lässt sich nicht lesen</translation>
    </message>
    <message>
        <source>the picture is %1 x %2 pixels, larger than the %3 x %4 taken</source>
        <translation>das Bild hat %1 × %2 Pixel, mehr als die höchstens %3 × %4, die angenommen werden</translation>
    </message>
    <message>
        <source>the picture is %1 x %2 pixels; a picture of the whole Earth is twice as wide as high (e.g. 5400 x 2700)</source>
        <translation>das Bild hat %1 × %2 Pixel; ein Bild der ganzen Erde ist doppelt so breit wie hoch (z. B. 5400 × 2700)</translation>
    </message>
    <message>
        <source>only PNG and JPEG pictures are taken</source>
        <translation>nur PNG- und JPEG-Bilder werden angenommen</translation>
    </message>
    <message>
        <source>cannot be read (%1)</source>
        <translation>lässt sich nicht lesen (%1)</translation>
    </message>
    <message>
        <source>not enough memory for a %1 x %2 picture</source>
        <translation>nicht genug Speicher für ein Bild von %1 × %2 Pixeln</translation>
    </message>
</context>
<context>
    <name>ImageFile</name>
    <message>
        <source>the metadata key &quot;%1&quot; is not 1 to 79 printable ASCII characters without blanks and colons</source>
        <translation>der Metadaten-Schlüssel „%1“ besteht nicht aus 1 bis 79 druckbaren ASCII-Zeichen ohne Leerzeichen und Doppelpunkte</translation>
    </message>
    <message>
        <source>the metadata &quot;%1&quot; is longer than the 65533 bytes a JPEG comment holds</source>
        <translation>die Metadaten „%1“ sind länger als die 65533 Bytes, die ein JPEG-Kommentar fasst</translation>
    </message>
    <message>
        <source>the image could not be encoded: %1</source>
        <translation>das Bild ließ sich nicht kodieren: %1</translation>
    </message>
    <message>
        <source>the PNG writer gave no header to put the text after</source>
        <translation>der PNG-Schreiber lieferte keinen Kopf, hinter den der Text gehört</translation>
    </message>
    <message>
        <source>not enough memory for a %1x%2 image</source>
        <translation>nicht genug Speicher für ein Bild von %1 × %2 Pixeln</translation>
    </message>
    <message>
        <source>no file name was given</source>
        <translation>es wurde kein Dateiname angegeben</translation>
    </message>
    <message>
        <source>the name ends in none of .jpg, .jpeg, .bmp and .png</source>
        <translation>der Name endet weder auf .jpg, .jpeg, .bmp noch auf .png</translation>
    </message>
    <message>
        <source>there is no picture</source>
        <translation>es gibt kein Bild</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 lässt sich nicht schreiben: %2</translation>
    </message>
</context>
<context>
    <name>JpegExport</name>
    <message>
        <source>JPEG encoder: %1</source>
        <translation>JPEG-Kodierer: %1</translation>
    </message>
</context>
<context>
    <name>MapExport</name>
    <message>
        <source>the vector drawing could not start</source>
        <translation>die Vektorzeichnung ließ sich nicht beginnen</translation>
    </message>
    <message>
        <source>the SVG writer gave no &lt;svg&gt; element</source>
        <translation>der SVG-Schreiber lieferte kein &lt;svg&gt;-Element</translation>
    </message>
    <message>
        <source>the PDF writer gave no document information to put the recipe in</source>
        <translation>der PDF-Schreiber lieferte keine Dokumentinformation für das Rezept</translation>
    </message>
    <message>
        <source>the name ends in none of .png, .jpg, .jpeg, .bmp, .svg and .pdf</source>
        <translation>der Name endet weder auf .png, .jpg, .jpeg, .bmp, .svg noch auf .pdf</translation>
    </message>
    <message>
        <source>the map was drawn for a vector file</source>
        <translation>die Karte wurde für eine Vektordatei gezeichnet</translation>
    </message>
    <message>
        <source>the map was drawn for a raster file</source>
        <translation>die Karte wurde für eine Rasterdatei gezeichnet</translation>
    </message>
    <message>
        <source>cannot draw the map: %1</source>
        <translation>die Karte lässt sich nicht zeichnen: %1</translation>
    </message>
    <message>
        <source>nothing could be drawn: the map is empty</source>
        <translation>nichts ließ sich zeichnen: die Karte ist leer</translation>
    </message>
</context>
</TS>
