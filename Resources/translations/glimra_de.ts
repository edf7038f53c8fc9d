<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
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
</TS>
