<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Texts of Qt's own dialogs that Qt's Italian translation leaves in English; loaded after it. -->
<TS version="2.1" language="it_IT">
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Pages</source>
        <translation>Pagine</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Stampa fronte/retro</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Rilegatura sul lato lungo</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Rilegatura sul lato corto</translation>
    </message>
</context>
</TS>
