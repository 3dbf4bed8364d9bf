<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ContextAbout</name>
    <message>
        <source>Tolva wireless laser mouse</source>
        <translation>Tolva wireless laser mouse</translation>
    </message>
    <message>
        <source>Tolva Office series driver</source>
        <translation>Tolva Office series driver</translation>
    </message>
    <message>
        <source> New Version</source>
        <translation> New Version</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Name：</source>
        <translation>Name：</translation>
    </message>
    <message>
        <source>Fireware Version： 1.0.0</source>
        <translation>Fireware Version： 1.0.0</translation>
    </message>
    <message>
        <source>Website：</source>
        <translation>Website：</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>Software version：</source>
        <translation>Software version：</translation>
    </message>
    <message>
        <source>Support：</source>
        <translation>Support：</translation>
    </message>
    <message>
        <source>1.Product software and driver acquisition</source>
        <translation>1.Product software and driver acquisition</translation>
    </message>
    <message>
        <source>2.Consultation and explanation of customer service personnel</source>
        <translation>2.Consultation and explanation of customer service personnel</translation>
    </message>
    <message>
        <source>3.Query of maintenance outlets</source>
        <translation>3.Query of maintenance outlets</translation>
    </message>
    <message>
        <source>4.Anti-counterfeiting certificates of the product that serves you in many ways</source>
        <translation>4.Anti-counterfeiting certificates of the product that serves you in many ways</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>ContextMain</name>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Setting function &gt;&gt; </source>
        <translation>Setting function &gt;&gt; </translation>
    </message>
    <message>
        <source>Starts up automatically at boot</source>
        <translation>Starts up automatically at boot</translation>
    </message>
    <message>
        <source>Connected by Bluetooth</source>
        <translation>Connected by Bluetooth</translation>
    </message>
    <message>
        <source>Connected by the 2.4G receiver</source>
        <translation>Connected by the 2.4G receiver</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>ContextMouseCommon</name>
    <message>
        <source>Mouse</source>
        <translation>Mouse</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>Keyboard</translation>
    </message>
</context>
<context>
    <name>ContextPair</name>
    <message>
        <source>Pair a mouse</source>
        <translation>Pair a mouse</translation>
    </message>
    <message>
        <source>Pair a keyboard</source>
        <translation>Pair a keyboard</translation>
    </message>
</context>
<context>
    <name>ContextPairCommon</name>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>ContextPairKeyboard</name>
    <message>
        <source>Prepare for matching code</source>
        <translation>Prepare for matching code</translation>
    </message>
    <message>
        <source>In the progress of matching code</source>
        <translation>In the progress of matching code</translation>
    </message>
    <message>
        <source>Succeeded to match the keyboard</source>
        <translation>Succeeded to match the keyboard</translation>
    </message>
    <message>
        <source>Failed to prepare, please follow the following steps to try again</source>
        <translation>Failed to prepare, please follow the following steps to try again</translation>
    </message>
</context>
<context>
    <name>ContextPairMouse</name>
    <message>
        <source>Prepare for matching code</source>
        <translation>Prepare for matching code</translation>
    </message>
    <message>
        <source>In the progress of matching code</source>
        <translation>In the progress of matching code</translation>
    </message>
    <message>
        <source>Succeeded to match the mouse</source>
        <translation>Succeeded to match the mouse</translation>
    </message>
    <message>
        <source>Failed to prepare, please follow the following steps to try again</source>
        <translation>Failed to prepare, please follow the following steps to try again</translation>
    </message>
</context>
<context>
    <name>ContextProfile</name>
    <message>
        <source>请正确输入旧密码</source>
        <translation>Please enter the old password</translation>
    </message>
    <message>
        <source>密码长度应大于6位</source>
        <translation>The password must be longer than 6 characters</translation>
    </message>
    <message>
        <source>The two passwords input are inconsistent</source>
        <translation>The two passwords input are inconsistent</translation>
    </message>
    <message>
        <source>Modify password</source>
        <translation>Modify password</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Logout</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Please enter the password </source>
        <translation>Please enter the password </translation>
    </message>
    <message>
        <source>New password:</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>Please enter the new password </source>
        <translation>Please enter the new password </translation>
    </message>
    <message>
        <source>Repeating password:</source>
        <translation>Repeating password:</translation>
    </message>
    <message>
        <source>Repeating password</source>
        <translation>Repeating password</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>KAccessStatus</name>
    <message>
        <source>- %1 (%2): assigned functions do nothing</source>
        <translation>- %1 (%2): assigned functions do nothing</translation>
    </message>
    <message>
        <source>- the receiver's device nodes: its keys are not taken over, pairing fails</source>
        <translation>- the receiver's device nodes: its keys are not taken over, pairing fails</translation>
    </message>
    <message>
        <source>- the Bluetooth mouse's device nodes: its buttons are not taken over</source>
        <translation>- the Bluetooth mouse's device nodes: its buttons are not taken over</translation>
    </message>
    <message>
        <source>- the Bluetooth keyboard's device nodes: its keys are not taken over</source>
        <translation>- the Bluetooth keyboard's device nodes: its keys are not taken over</translation>
    </message>
    <message>
        <source>- the device rule %1 is not installed</source>
        <translation>- the device rule %1 is not installed</translation>
    </message>
    <message>
        <source>Load the uinput module: sudo modprobe uinput</source>
        <translation>Load the uinput module: sudo modprobe uinput</translation>
    </message>
    <message>
        <source>Install the rule (the Debian package installs it), from the sources:</source>
        <translation>Install the rule (the Debian package installs it), from the sources:</translation>
    </message>
    <message>
        <source>Then unplug and replug the receiver, and log out and in again.</source>
        <translation>Then unplug and replug the receiver, and log out and in again.</translation>
    </message>
    <message>
        <source>Unplug the receiver and plug it in again (switch a Bluetooth device off and on again).</source>
        <translation>Unplug the receiver and plug it in again (switch a Bluetooth device off and on again).</translation>
    </message>
    <message>
        <source>Log out and in again for access to /dev/uinput.</source>
        <translation>Log out and in again for access to /dev/uinput.</translation>
    </message>
    <message>
        <source>Check the access with: getfacl %1 (your user needs rw)</source>
        <translation>Check the access with: getfacl %1 (your user needs rw)</translation>
    </message>
</context>
<context>
    <name>KConfigCommon</name>
    <message>
        <source>a folder or something else that is not a file is in its place</source>
        <translation>a folder or something else that is not a file is in its place</translation>
    </message>
    <message>
        <source>its folder cannot be created</source>
        <translation>its folder cannot be created</translation>
    </message>
    <message>
        <source>its folder is read-only</source>
        <translation>its folder is read-only</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>the file is read-only</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>the file cannot be read</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>the system refused to write it</source>
        <translation>the system refused to write it</translation>
    </message>
    <message>
        <source>Your settings could not be saved to %1: %2. What you chose stays in effect until the program ends.</source>
        <translation>Your settings could not be saved to %1: %2. What you chose stays in effect until the program ends.</translation>
    </message>
    <message>
        <source>Your settings could not be read from %1: %2. The program uses its defaults for now.</source>
        <translation>Your settings could not be read from %1: %2. The program uses its defaults for now.</translation>
    </message>
    <message>
        <source>%1 was damaged and is kept as %2; the default settings are in force.</source>
        <translation>%1 was damaged and is kept as %2; the default settings are in force.</translation>
    </message>
    <message>
        <source>%1 had lines that could not be read; a copy is kept as %2 and the rest of your settings are in force.</source>
        <translation>%1 had lines that could not be read; a copy is kept as %2 and the rest of your settings are in force.</translation>
    </message>
</context>
<context>
    <name>KDeviceHook</name>
    <message>
        <source>its force feedback cannot be passed on</source>
        <translation>its force feedback cannot be passed on</translation>
    </message>
    <message>
        <source>no virtual device can be created to pass its other events on (check access to /dev/uinput)</source>
        <translation>no virtual device can be created to pass its other events on (check access to /dev/uinput)</translation>
    </message>
    <message>
        <source>%1 (%2) is not taken over: %3.</source>
        <translation>%1 (%2) is not taken over: %3.</translation>
    </message>
</context>
<context>
    <name>KDialogDriverFix</name>
    <message>
        <source>Failed to open Driver</source>
        <translation>Failed to open Driver</translation>
    </message>
    <message>
        <source>Please download Security Update for Windows 7 for x64-based Systems (KB3033929), and reinstall driver program.</source>
        <translation>Please download Security Update for Windows 7 for x64-based Systems (KB3033929), and reinstall driver program.</translation>
    </message>
    <message>
        <source>clicking the following link downloads</source>
        <translation>clicking the following link downloads</translation>
    </message>
    <message>
        <source>Click to jump to the update download URL</source>
        <translation>Click to jump to the update download URL</translation>
    </message>
</context>
<context>
    <name>KDialogForgot</name>
    <message>
        <source>Forget password</source>
        <translation>Forget password</translation>
    </message>
    <message>
        <source>Verification</source>
        <translation>Verification</translation>
    </message>
    <message>
        <source>Reset password</source>
        <translation>Reset password</translation>
    </message>
    <message>
        <source>successfully</source>
        <translation>successfully</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>KDialogFrame</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>KDialogLanguageTips</name>
    <message>
        <source>语言已更换，请重启驱动</source>
        <translation>Language change is successful, restart the driver to take effect</translation>
    </message>
    <message>
        <source>重启驱动</source>
        <translation>Restart the drive</translation>
    </message>
</context>
<context>
    <name>KDialogLogin</name>
    <message>
        <source>Mailbox format error or Password must be 6 characters or more</source>
        <translation>Mailbox format error or Password must be 6 characters or more</translation>
    </message>
    <message>
        <source>LogIn</source>
        <translation>LogIn</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>EMail</source>
        <translation>EMail</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Forget password</source>
        <translation>Forget password</translation>
    </message>
</context>
<context>
    <name>KDialogReDefault</name>
    <message>
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Restoring the default will clear all settings, are you sure you want to restore the default?</source>
        <translation>Restoring the default will clear all settings, are you sure you want to restore the default?</translation>
    </message>
</context>
<context>
    <name>KDialogRegister</name>
    <message>
        <source>NiceName error</source>
        <translation>NiceName error</translation>
    </message>
    <message>
        <source>Mailbox format error</source>
        <translation>Mailbox format error</translation>
    </message>
    <message>
        <source>Must be 6 characters or more</source>
        <translation>Must be 6 characters or more</translation>
    </message>
    <message>
        <source>The two passwords input are inconsistent</source>
        <translation>The two passwords input are inconsistent</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>NiceName</source>
        <translation>NiceName</translation>
    </message>
    <message>
        <source>Email account</source>
        <translation>Email account</translation>
    </message>
    <message>
        <source>Login password</source>
        <translation>Login password</translation>
    </message>
    <message>
        <source>Repeating password</source>
        <translation>Repeating password</translation>
    </message>
</context>
<context>
    <name>KDialogUpdate</name>
    <message>
        <source>New version</source>
        <translation>New version</translation>
    </message>
    <message>
        <source>New version update</source>
        <translation>New version update</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Later</translation>
    </message>
</context>
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
    <name>KItemFolder</name>
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
        <source>Music File (*.mp3 *.wma *.ogg *.wav *.flac)</source>
        <translation>Music File (*.mp3 *.wma *.ogg *.wav *.flac)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Applications (*.exe)</source>
        <translation>Applications (*.exe)</translation>
    </message>
    <message>
        <source>Applications (*)</source>
        <translation>Applications (*)</translation>
    </message>
    <message>
        <source>Scripts and launchers (*.sh *.desktop *.AppImage)</source>
        <translation>Scripts and launchers (*.sh *.desktop *.AppImage)</translation>
    </message>
    <message>
        <source>File (*)</source>
        <translation>File (*)</translation>
    </message>
    <message>
        <source>Choose the path of %1</source>
        <translation>Choose the path of %1</translation>
    </message>
</context>
<context>
    <name>KItemSensitivity</name>
    <message>
        <source>Drag the scroll bar to adjust the mouse speed</source>
        <translation>Drag the scroll bar to adjust the mouse speed</translation>
    </message>
</context>
<context>
    <name>KKBCommon</name>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>Homepage</source>
        <translation>Homepage</translation>
    </message>
    <message>
        <source>EMail</source>
        <translation>EMail</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>Player</translation>
    </message>
    <message>
        <source>Pause/Play</source>
        <translation>Pause/Play</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Previous track</source>
        <translation>Previous track</translation>
    </message>
    <message>
        <source>Next track</source>
        <translation>Next track</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>Volume down</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>Volume up</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
</context>
<context>
    <name>KKBTxtImgBtn</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>KMSCommon</name>
    <message>
        <source>3Key</source>
        <translation>3Key</translation>
    </message>
    <message>
        <source>5Key</source>
        <translation>5Key</translation>
    </message>
    <message>
        <source>7Key</source>
        <translation>7Key</translation>
    </message>
    <message>
        <source>Right button</source>
        <translation>Right button</translation>
    </message>
    <message>
        <source>Roller middle button</source>
        <translation>Roller middle button</translation>
    </message>
    <message>
        <source>Roller forward</source>
        <translation>Roller forward</translation>
    </message>
    <message>
        <source>Roller backward</source>
        <translation>Roller backward</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>Scroll right</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>Scroll left</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>KMSSelectItem1</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>KMenuCommon</name>
    <message>
        <source>Basic function</source>
        <translation>Basic function</translation>
    </message>
    <message>
        <source>Media function</source>
        <translation>Media function</translation>
    </message>
    <message>
        <source>Mouse function</source>
        <translation>Mouse function</translation>
    </message>
    <message>
        <source>Windows function</source>
        <translation>Windows function</translation>
    </message>
    <message>
        <source>Advanced Function</source>
        <translation>Advanced Function</translation>
    </message>
    <message>
        <source>Mouse sensitivity</source>
        <translation>Mouse sensitivity</translation>
    </message>
</context>
<context>
    <name>KMouseSensitivity</name>
    <message>
        <source>The desktop did not take the new pointer speed (no mouse found, or its settings service did not answer); the log says why.</source>
        <translation>The desktop did not take the new pointer speed (no mouse found, or its settings service did not answer); the log says why.</translation>
    </message>
    <message>
        <source>The pointer speed cannot be set from here: this desktop keeps it to itself. Change it in the desktop's own mouse settings.</source>
        <translation>The pointer speed cannot be set from here: this desktop keeps it to itself. Change it in the desktop's own mouse settings.</translation>
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
    <message>
        <source>Your session has ended: please sign in again</source>
        <translation>Your session has ended: please sign in again</translation>
    </message>
    <message>
        <source>The server's answer is too large</source>
        <translation>The server's answer is too large</translation>
    </message>
    <message>
        <source>The server's answer could not be read</source>
        <translation>The server's answer could not be read</translation>
    </message>
    <message>
        <source>The server redirected the request elsewhere</source>
        <translation>The server redirected the request elsewhere</translation>
    </message>
</context>
<context>
    <name>KNetDownloadConfig</name>
    <message>
        <source>Configuration downloaded; entries skipped as unknown: %1</source>
        <translation>Configuration downloaded; entries skipped as unknown: %1</translation>
    </message>
    <message>
        <source>There is no configuration in the cloud yet: nothing to download</source>
        <translation>There is no configuration in the cloud yet: nothing to download</translation>
    </message>
    <message>
        <source>The configuration in the cloud could not be read</source>
        <translation>The configuration in the cloud could not be read</translation>
    </message>
</context>
<context>
    <name>KNoticeClose</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>KPWDTextField</name>
    <message>
        <source>At most %1 characters can be entered here</source>
        <translation>At most %1 characters can be entered here</translation>
    </message>
    <message>
        <source>"%1" cannot be used here</source>
        <translation>"%1" cannot be used here</translation>
    </message>
    <message>
        <source>The pasted text cannot be used here</source>
        <translation>The pasted text cannot be used here</translation>
    </message>
</context>
<context>
    <name>KSureBtn</name>
    <message>
        <source>Sure</source>
        <translation>Sure</translation>
    </message>
</context>
<context>
    <name>KSyncWidget</name>
    <message>
        <source>Download cloud settings</source>
        <translation>Download cloud settings</translation>
    </message>
    <message>
        <source>Upload to the current configuration settings</source>
        <translation>Upload to the current configuration settings</translation>
    </message>
</context>
<context>
    <name>KTipLine</name>
    <message>
        <source>Request failed, please check the network and try again</source>
        <translation>Request failed, please check the network and try again</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
</context>
<context>
    <name>KViewForgot1</name>
    <message>
        <source>Mailbox error</source>
        <translation>Mailbox error</translation>
    </message>
    <message>
        <source>Email account</source>
        <translation>Email account</translation>
    </message>
    <message>
        <source>In order to protect the account security, we will send a verification code to the mailbox.</source>
        <translation>In order to protect the account security, we will send a verification code to the mailbox.</translation>
    </message>
</context>
<context>
    <name>KViewForgot2</name>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Please enter the correct verification code</source>
        <translation>Please enter the correct verification code</translation>
    </message>
    <message>
        <source>Mailbox error</source>
        <translation>Mailbox error</translation>
    </message>
    <message>
        <source>Please enter the verification code</source>
        <translation>Please enter the verification code</translation>
    </message>
</context>
<context>
    <name>KViewForgot3</name>
    <message>
        <source>Must be 6 characters or more</source>
        <translation>Must be 6 characters or more</translation>
    </message>
    <message>
        <source>The two passwords input are inconsistent</source>
        <translation>The two passwords input are inconsistent</translation>
    </message>
    <message>
        <source>New password</source>
        <translation>New password</translation>
    </message>
    <message>
        <source>Repeating password</source>
        <translation>Repeating password</translation>
    </message>
</context>
<context>
    <name>KViewForgot5</name>
    <message>
        <source>1. The email address is not correct</source>
        <translation>1. The email address is not correct</translation>
    </message>
    <message>
        <source>2. Verification mail has not been sent out due to delay and other reasons</source>
        <translation>2. Verification mail has not been sent out due to delay and other reasons</translation>
    </message>
    <message>
        <source>3. The verification mail is judged by the receiving mailbox server as spam and automatically transferred it to the trash can.</source>
        <translation>3. The verification mail is judged by the receiving mailbox server as spam and automatically transferred it to the trash can.</translation>
    </message>
    <message>
        <source>If the verification mail is not found in any of the above ways, you can click on the re-send button on the verification interface to send again or re-register it if using another email address</source>
        <translation>If the verification mail is not found in any of the above ways, you can click on the re-send button on the verification interface to send again or re-register it if using another email address</translation>
    </message>
</context>
<context>
    <name>KWinSimulator</name>
    <message>
        <source>Install the udev rule 70-pointora.rules (sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/, then sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger) and sign in again.</source>
        <translation>Install the udev rule 70-pointora.rules (sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/, then sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger) and sign in again.</translation>
    </message>
    <message>
        <source>Only X11 programs receive the keys and mouse events the functions send, because /dev/uinput cannot be opened.</source>
        <translation>Only X11 programs receive the keys and mouse events the functions send, because /dev/uinput cannot be opened.</translation>
    </message>
    <message>
        <source>No program receives the keys and mouse events the functions send, because /dev/uinput cannot be opened.</source>
        <translation>No program receives the keys and mouse events the functions send, because /dev/uinput cannot be opened.</translation>
    </message>
    <message>
        <source>The window in front cannot be maximized here: this desktop lets no program change other programs' windows.</source>
        <translation>The window in front cannot be maximized here: this desktop lets no program change other programs' windows.</translation>
    </message>
    <message>
        <source>The window in front cannot be minimized here: this desktop lets no program change other programs' windows.</source>
        <translation>The window in front cannot be minimized here: this desktop lets no program change other programs' windows.</translation>
    </message>
    <message>
        <source>The desktop did not maximize the window in front; the log says why.</source>
        <translation>The desktop did not maximize the window in front; the log says why.</translation>
    </message>
    <message>
        <source>The desktop did not minimize the window in front; the log says why.</source>
        <translation>The desktop did not minimize the window in front; the log says why.</translation>
    </message>
    <message>
        <source>Screen brightness cannot be changed in this session: the display server lets no program set the gamma ramp.</source>
        <translation>Screen brightness cannot be changed in this session: the display server lets no program set the gamma ramp.</translation>
    </message>
    <message>
        <source>No screen magnifier is available on this desktop. Install KDE's magnifier (kmag), or use GNOME, whose magnifier is built in.</source>
        <translation>No screen magnifier is available on this desktop. Install KDE's magnifier (kmag), or use GNOME, whose magnifier is built in.</translation>
    </message>
</context>
<context>
    <name>KWindowBar</name>
    <message>
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>MCPairMutiThreadWork</name>
    <message>
        <source>Not detected equipment</source>
        <translation>Not detected equipment</translation>
    </message>
</context>
<context>
    <name>MouseCommunityBT</name>
    <message>
        <source>Failed to init</source>
        <translation>Failed to init</translation>
    </message>
    <message>
        <source>Failed to start matching, please reconnect the receiver</source>
        <translation>Failed to start matching, please reconnect the receiver</translation>
    </message>
    <message>
        <source>Matched successfully</source>
        <translation>Matched successfully</translation>
    </message>
    <message>
        <source>Failed to match</source>
        <translation>Failed to match</translation>
    </message>
    <message>
        <source>No permission to use the receiver. Install the udev rule 70-pointora.rules (the package does it; from the sources: sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/ &amp;&amp; sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger), then plug the receiver in again</source>
        <translation>No permission to use the receiver. Install the udev rule 70-pointora.rules (the package does it; from the sources: sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/ &amp;&amp; sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger), then plug the receiver in again</translation>
    </message>
</context>
<context>
    <name>PageMain</name>
    <message>
        <source>Successful to modify password</source>
        <translation>Successful to modify password</translation>
    </message>
    <message>
        <source>tips: </source>
        <translation>tips: </translation>
    </message>
    <message>
        <source>Succeeded to upload configuration</source>
        <translation>Succeeded to upload configuration</translation>
    </message>
    <message>
        <source>Failed to upload configuration</source>
        <translation>Failed to upload configuration</translation>
    </message>
    <message>
        <source>Succeeded to download configuration</source>
        <translation>Succeeded to download configuration</translation>
    </message>
    <message>
        <source>Failed to download configuration</source>
        <translation>Failed to download configuration</translation>
    </message>
    <message>
        <source>Recovered successfully</source>
        <translation>Recovered successfully</translation>
    </message>
    <message>
        <source> Welcome back</source>
        <translation> Welcome back</translation>
    </message>
    <message>
        <source>Successful register</source>
        <translation>Successful register</translation>
    </message>
    <message>
        <source>Pointora lacks access to what it needs:</source>
        <translation>Pointora lacks access to what it needs:</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>Check again</translation>
    </message>
    <message>
        <source>Failed to upload configuration: %1</source>
        <translation>Failed to upload configuration: %1</translation>
    </message>
    <message>
        <source>Failed to download configuration: %1</source>
        <translation>Failed to download configuration: %1</translation>
    </message>
</context>
<context>
    <name>PageMainHead</name>
    <message>
        <source>Sign in</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>Synchronization</source>
        <translation>Synchronization</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>2.4MatchCode</source>
        <translation>2.4MatchCode</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Account</translation>
    </message>
</context>
<context>
    <name>PageUnpair</name>
    <message>
        <source>Not detected equipment</source>
        <translation>Not detected equipment</translation>
    </message>
    <message>
        <source>Make sure that the equipment connection is open</source>
        <translation>Make sure that the equipment connection is open</translation>
    </message>
</context>
<context>
    <name>UIMainWindow</name>
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