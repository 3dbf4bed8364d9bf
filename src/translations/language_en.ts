<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>KFuncCommon</name>
    <message>
        <source>Basic function</source>
        <translation>Basic function</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>New</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Media function</source>
        <translation>Media function</translation>
    </message>
    <message>
        <source>Pause/Play</source>
        <translation>Pause/Play</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>Volume up</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>Volume down</translation>
    </message>
    <message>
        <source>Increase brightness</source>
        <translation>Increase brightness</translation>
    </message>
    <message>
        <source>Decrease brightness</source>
        <translation>Decrease brightness</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Mouse function</source>
        <translation>Mouse function</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>Click</translation>
    </message>
    <message>
        <source>Double click</source>
        <translation>Double click</translation>
    </message>
    <message>
        <source>Triple click</source>
        <translation>Triple click</translation>
    </message>
    <message>
        <source>Right click</source>
        <translation>Right click</translation>
    </message>
    <message>
        <source>Right double click</source>
        <translation>Right double click</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Middle button</source>
        <translation>Middle button</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Scroll up</source>
        <translation>Scroll up</translation>
    </message>
    <message>
        <source>Scroll down</source>
        <translation>Scroll down</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>Scroll left</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>Scroll right</translation>
    </message>
    <message>
        <source>Windows function</source>
        <translation>Windows function</translation>
    </message>
    <message>
        <source>Close window</source>
        <translation>Close window</translation>
    </message>
    <message>
        <source>Lock the computer</source>
        <translation>Lock the computer</translation>
    </message>
    <message>
        <source>Show desktop</source>
        <translation>Show desktop</translation>
    </message>
    <message>
        <source>Start screen</source>
        <translation>Start screen</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>Previous tab</source>
        <translation>Previous tab</translation>
    </message>
    <message>
        <source>Next tab</source>
        <translation>Next tab</translation>
    </message>
    <message>
        <source>Switch applications</source>
        <translation>Switch applications</translation>
    </message>
    <message>
        <source>Display/hide notification</source>
        <translation>Display/hide notification</translation>
    </message>
    <message>
        <source>Advanced Function</source>
        <translation>Advanced Function</translation>
    </message>
    <message>
        <source>Play sound</source>
        <translation>Play sound</translation>
    </message>
    <message>
        <source>Launch program</source>
        <translation>Launch program</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>Open directory</source>
        <translation>Open directory</translation>
    </message>
    <message>
        <source>Mouse sensitivity</source>
        <translation>Mouse sensitivity</translation>
    </message>
    <message>
        <source>Mouse speed adjustment</source>
        <translation>Mouse speed adjustment</translation>
    </message>
</context>
<context>
    <name>KNetBase</name>
    <message>
        <source>Not connected to the network</source>
        <translation>Not connected to the network</translation>
    </message>
    <message>
        <source>The server did not answer in time</source>
        <translation>The server did not answer in time</translation>
    </message>
</context>
<context>
    <name>UIMain</name>
    <message>
        <source>Pointora</source>
        <translation>Pointora</translation>
    </message>
</context>
<context>
    <name>UIManager</name>
    <message>
        <source>Pointora Running...</source>
        <translation>Pointora Running...</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
</TS>