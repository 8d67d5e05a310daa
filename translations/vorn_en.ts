<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AnswerCheck</name>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation>
            <numerusform>the server sent more than the %1 byte it announced</numerusform>
            <numerusform>the server sent more than the %1 bytes it announced</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Inet</name>
    <message numerus="yes">
        <source>No answer arrived within %n second(s).</source>
        <translation>
            <numerusform>No answer arrived within %n second.</numerusform>
            <numerusform>No answer arrived within %n seconds.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>No data arrived for %n second(s).</source>
        <translation>
            <numerusform>No data arrived for %n second.</numerusform>
            <numerusform>No data arrived for %n seconds.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PartFile</name>
    <message numerus="yes">
        <source>the file was changed while it was being written (it holds %1 bytes, not %2)</source>
        <translation>
            <numerusform>the file was changed while it was being written (it holds %1 byte, not %2)</numerusform>
            <numerusform>the file was changed while it was being written (it holds %1 bytes, not %2)</numerusform>
        </translation>
    </message>
</context>
</TS>
