<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>core</name>
    <message>
        <source>allImages</source>
        <translation>All Images</translation>
    </message>
</context>
</TS>
