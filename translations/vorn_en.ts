<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>FailureMessage</name>
    <message numerus="yes">
        <source>the server announced two different sizes: %1 bytes as its length and %2 in its range</source>
        <translation>
            <numerusform>the server announced two different sizes: %1 byte as its length and %2 in its range</numerusform>
            <numerusform>the server announced two different sizes: %1 bytes as its length and %2 in its range</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation>
            <numerusform>the server sent more than the %1 byte it announced</numerusform>
            <numerusform>the server sent more than the %1 bytes it announced</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the file was changed while it was being written (it holds %1 bytes, not %2)</source>
        <translation>
            <numerusform>the file was changed while it was being written (it holds %1 byte, not %2)</numerusform>
            <numerusform>the file was changed while it was being written (it holds %1 bytes, not %2)</numerusform>
        </translation>
    </message>
</context>
</TS>
