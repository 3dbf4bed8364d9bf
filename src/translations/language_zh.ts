<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ContextAbout</name>
    <message>
        <source>Tolva wireless laser mouse</source>
        <translation>托瓦三模无线键</translation>
    </message>
    <message>
        <source>Tolva Office series driver</source>
        <translation>托瓦办公系列驱动</translation>
    </message>
    <message>
        <source> New Version</source>
        <translation> 新版本</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Name：</source>
        <translation>名称：</translation>
    </message>
    <message>
        <source>Fireware Version： 1.0.0</source>
        <translation>固件版本： 1.0.0</translation>
    </message>
    <message>
        <source>Website：</source>
        <translation>网址：</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>软件</translation>
    </message>
    <message>
        <source>Software version：</source>
        <translation>软件版本：</translation>
    </message>
    <message>
        <source>Support：</source>
        <translation>支持：</translation>
    </message>
    <message>
        <source>1.Product software and driver acquisition</source>
        <translation>1.产品软件与驱动获取</translation>
    </message>
    <message>
        <source>2.Consultation and explanation of customer service personnel</source>
        <translation>2.客服人员咨询与解答</translation>
    </message>
    <message>
        <source>3.Query of maintenance outlets</source>
        <translation>3.维修网点查询</translation>
    </message>
    <message>
        <source>4.Anti-counterfeiting certificates of the product that serves you in many ways</source>
        <translation>4.产品防伪多方面服务</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
</context>
<context>
    <name>ContextMain</name>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Setting function &gt;&gt; </source>
        <translation>按键设置 &gt;&gt; </translation>
    </message>
    <message>
        <source>Starts up automatically at boot</source>
        <translation>开机自动启动</translation>
    </message>
    <message>
        <source>Connected by Bluetooth</source>
        <translation>蓝牙连接</translation>
    </message>
    <message>
        <source>Connected by the 2.4G receiver</source>
        <translation>2.4G接收器连接</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>英文</translation>
    </message>
</context>
<context>
    <name>ContextMouseCommon</name>
    <message>
        <source>Mouse</source>
        <translation>鼠标</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>键盘</translation>
    </message>
</context>
<context>
    <name>ContextPair</name>
    <message>
        <source>Pair a mouse</source>
        <translation>鼠标对码</translation>
    </message>
    <message>
        <source>Pair a keyboard</source>
        <translation>键盘对码</translation>
    </message>
</context>
<context>
    <name>ContextPairCommon</name>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
</context>
<context>
    <name>ContextPairKeyboard</name>
    <message>
        <source>Prepare for matching code</source>
        <translation>开始对码</translation>
    </message>
    <message>
        <source>In the progress of matching code</source>
        <translation>对码中</translation>
    </message>
    <message>
        <source>Succeeded to match the keyboard</source>
        <translation>键盘配对成功</translation>
    </message>
    <message>
        <source>Failed to prepare, please follow the following steps to try again</source>
        <translation>对码失败，请按照以下步骤再试一次</translation>
    </message>
</context>
<context>
    <name>ContextPairMouse</name>
    <message>
        <source>Prepare for matching code</source>
        <translation>开始对码</translation>
    </message>
    <message>
        <source>In the progress of matching code</source>
        <translation>对码中</translation>
    </message>
    <message>
        <source>Succeeded to match the mouse</source>
        <translation>鼠标配对成功</translation>
    </message>
    <message>
        <source>Failed to prepare, please follow the following steps to try again</source>
        <translation>对码失败，请按照以下步骤再试一次</translation>
    </message>
</context>
<context>
    <name>ContextProfile</name>
    <message>
        <source>请正确输入旧密码</source>
        <translation>请正确输入旧密码</translation>
    </message>
    <message>
        <source>密码长度应大于6位</source>
        <translation>密码长度应大于6位</translation>
    </message>
    <message>
        <source>The two passwords input are inconsistent</source>
        <translation>新密码两次输入不一致</translation>
    </message>
    <message>
        <source>Modify password</source>
        <translation>修改密码</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>旧密码:</translation>
    </message>
    <message>
        <source>Please enter the password </source>
        <translation>请输入旧密码 </translation>
    </message>
    <message>
        <source>New password:</source>
        <translation>新密码:</translation>
    </message>
    <message>
        <source>Please enter the new password </source>
        <translation>请输入新密码 </translation>
    </message>
    <message>
        <source>Repeating password:</source>
        <translation>再次输入新密码:</translation>
    </message>
    <message>
        <source>Repeating password</source>
        <translation>请再次输入新密码</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示信息</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
</context>
<context>
    <name>KAccessStatus</name>
    <message>
        <source>- %1 (%2): assigned functions do nothing</source>
        <translation>- %1（%2）：已分配的功能不起作用</translation>
    </message>
    <message>
        <source>- the receiver's device nodes: its keys are not taken over, pairing fails</source>
        <translation>- 接收器的设备节点：按键不会被接管，无法对码</translation>
    </message>
    <message>
        <source>- the Bluetooth mouse's device nodes: its buttons are not taken over</source>
        <translation>- 蓝牙鼠标的设备节点：按键不会被接管</translation>
    </message>
    <message>
        <source>- the Bluetooth keyboard's device nodes: its keys are not taken over</source>
        <translation>- 蓝牙键盘的设备节点：按键不会被接管</translation>
    </message>
    <message>
        <source>- the device rule %1 is not installed</source>
        <translation>- 设备规则 %1 未安装</translation>
    </message>
    <message>
        <source>Load the uinput module: sudo modprobe uinput</source>
        <translation>请加载 uinput 模块：sudo modprobe uinput</translation>
    </message>
    <message>
        <source>Install the rule (the Debian package installs it), from the sources:</source>
        <translation>请安装该规则（Debian 软件包会自动安装），在源码目录中执行：</translation>
    </message>
    <message>
        <source>Then unplug and replug the receiver, and log out and in again.</source>
        <translation>然后拔下并重新插入接收器，再注销并重新登录。</translation>
    </message>
    <message>
        <source>Unplug the receiver and plug it in again (switch a Bluetooth device off and on again).</source>
        <translation>请拔下接收器后重新插入（蓝牙设备请关闭后再打开）。</translation>
    </message>
    <message>
        <source>Log out and in again for access to /dev/uinput.</source>
        <translation>请注销并重新登录以获得 /dev/uinput 的访问权限。</translation>
    </message>
    <message>
        <source>Check the access with: getfacl %1 (your user needs rw)</source>
        <translation>可用以下命令检查权限：getfacl %1（当前用户需要 rw）</translation>
    </message>
</context>
<context>
    <name>KConfigCommon</name>
    <message>
        <source>a folder or something else that is not a file is in its place</source>
        <translation>该位置是一个文件夹或其他非文件对象</translation>
    </message>
    <message>
        <source>its folder cannot be created</source>
        <translation>无法创建其所在文件夹</translation>
    </message>
    <message>
        <source>its folder is read-only</source>
        <translation>其所在文件夹为只读</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>该文件为只读</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>无法读取该文件</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>the system refused to write it</source>
        <translation>系统拒绝写入</translation>
    </message>
    <message>
        <source>Your settings could not be saved to %1: %2. What you chose stays in effect until the program ends.</source>
        <translation>无法将设置保存到 %1：%2。您所做的选择在程序退出前仍然有效。</translation>
    </message>
    <message>
        <source>Your settings could not be read from %1: %2. The program uses its defaults for now.</source>
        <translation>无法从 %1 读取设置：%2。程序暂时使用默认设置。</translation>
    </message>
    <message>
        <source>%1 was damaged and is kept as %2; the default settings are in force.</source>
        <translation>%1 已损坏，已另存为 %2；现在使用默认设置。</translation>
    </message>
    <message>
        <source>%1 had lines that could not be read; a copy is kept as %2 and the rest of your settings are in force.</source>
        <translation>%1 中有无法读取的行；已另存副本为 %2，其余设置照常生效。</translation>
    </message>
</context>
<context>
    <name>KDeviceHook</name>
    <message>
        <source>its force feedback cannot be passed on</source>
        <translation>它的力反馈无法转发</translation>
    </message>
    <message>
        <source>no virtual device can be created to pass its other events on (check access to /dev/uinput)</source>
        <translation>无法创建转发其其余事件的虚拟设备（请检查 /dev/uinput 的访问权限）</translation>
    </message>
    <message>
        <source>%1 (%2) is not taken over: %3.</source>
        <translation>%1（%2）未被接管：%3。</translation>
    </message>
</context>
<context>
    <name>KDialogDriverFix</name>
    <message>
        <source>Failed to open Driver</source>
        <translation>打开驱动失败</translation>
    </message>
    <message>
        <source>Please download Security Update for Windows 7 for x64-based Systems (KB3033929), and reinstall driver program.</source>
        <translation>驱动连接失败，请安装针对基于 x64 的系统的 Windows 7 安全更新程序 (KB3033929)的重要更新，并且重新安装驱动程序.</translation>
    </message>
    <message>
        <source>clicking the following link downloads</source>
        <translation>点击以下链接下载</translation>
    </message>
    <message>
        <source>Click to jump to the update download URL</source>
        <translation>点击跳转到更新下载网址</translation>
    </message>
</context>
<context>
    <name>KDialogForgot</name>
    <message>
        <source>Forget password</source>
        <translation>忘记密码</translation>
    </message>
    <message>
        <source>Verification</source>
        <translation>验证</translation>
    </message>
    <message>
        <source>Reset password</source>
        <translation>重设密码</translation>
    </message>
    <message>
        <source>successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
</context>
<context>
    <name>KDialogFrame</name>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>KDialogLanguageTips</name>
    <message>
        <source>语言已更换，请重启驱动</source>
        <translation>语言已更换，请重启驱动</translation>
    </message>
    <message>
        <source>重启驱动</source>
        <translation>重启驱动</translation>
    </message>
</context>
<context>
    <name>KDialogLogin</name>
    <message>
        <source>Mailbox format error or Password must be 6 characters or more</source>
        <translation>请输入正确邮箱和密码</translation>
    </message>
    <message>
        <source>LogIn</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>EMail</source>
        <translation>邮箱</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>登录密码</translation>
    </message>
    <message>
        <source>Forget password</source>
        <translation>忘记密码</translation>
    </message>
</context>
<context>
    <name>KDialogReDefault</name>
    <message>
        <source>Restore</source>
        <translation>恢复默认</translation>
    </message>
    <message>
        <source>Restoring the default will clear all settings, are you sure you want to restore the default?</source>
        <translation>恢复默认将清空所有设置，您确定要恢复默认吗？</translation>
    </message>
</context>
<context>
    <name>KDialogRegister</name>
    <message>
        <source>NiceName error</source>
        <translation>请正确输入昵称</translation>
    </message>
    <message>
        <source>Mailbox format error</source>
        <translation>请正确输入邮箱</translation>
    </message>
    <message>
        <source>Must be 6 characters or more</source>
        <translation>密码长度需要大于6位</translation>
    </message>
    <message>
        <source>The two passwords input are inconsistent</source>
        <translation>两次密码输入不一致</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>NiceName</source>
        <translation>昵称</translation>
    </message>
    <message>
        <source>Email account</source>
        <translation>邮箱</translation>
    </message>
    <message>
        <source>Login password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Repeating password</source>
        <translation>再次输入密码</translation>
    </message>
</context>
<context>
    <name>KDialogUpdate</name>
    <message>
        <source>New version</source>
        <translation>更新驱动</translation>
    </message>
    <message>
        <source>New version update</source>
        <translation>发现新版本，点击下载安装</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>以后再说</translation>
    </message>
</context>
<context>
    <name>KFuncCommon</name>
    <message>
        <source>Basic function</source>
        <translation>基本功能</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>剪切</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>粘贴</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新建</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>打印</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Media function</source>
        <translation>媒体功能</translation>
    </message>
    <message>
        <source>Pause/Play</source>
        <translation>暂停/播放</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>增加音量</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>减小音量</translation>
    </message>
    <message>
        <source>Increase brightness</source>
        <translation>调高亮度</translation>
    </message>
    <message>
        <source>Decrease brightness</source>
        <translation>调低亮度</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>静音</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Mouse function</source>
        <translation>鼠标功能</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>单击</translation>
    </message>
    <message>
        <source>Double click</source>
        <translation>双击</translation>
    </message>
    <message>
        <source>Triple click</source>
        <translation>三击</translation>
    </message>
    <message>
        <source>Right click</source>
        <translation>右键</translation>
    </message>
    <message>
        <source>Right double click</source>
        <translation>右键双击</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Middle button</source>
        <translation>中键</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>前进</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>后退</translation>
    </message>
    <message>
        <source>Scroll up</source>
        <translation>向上滚动</translation>
    </message>
    <message>
        <source>Scroll down</source>
        <translation>向下滚动</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>向左滚动</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>向右滚动</translation>
    </message>
    <message>
        <source>Windows function</source>
        <translation>Windows功能</translation>
    </message>
    <message>
        <source>Close window</source>
        <translation>关闭窗口</translation>
    </message>
    <message>
        <source>Lock the computer</source>
        <translation>锁定电脑</translation>
    </message>
    <message>
        <source>Show desktop</source>
        <translation>显示桌面</translation>
    </message>
    <message>
        <source>Start screen</source>
        <translation>开始界面</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>运行</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>放大镜</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大屏幕</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小屏幕</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Previous tab</source>
        <translation>选项卡上一个</translation>
    </message>
    <message>
        <source>Next tab</source>
        <translation>选项卡下一个</translation>
    </message>
    <message>
        <source>Switch applications</source>
        <translation>切换应用程序</translation>
    </message>
    <message>
        <source>Display/hide notification</source>
        <translation>显示/隐藏通知</translation>
    </message>
    <message>
        <source>Advanced Function</source>
        <translation>高级功能</translation>
    </message>
    <message>
        <source>Play sound</source>
        <translation>播放声音</translation>
    </message>
    <message>
        <source>Launch program</source>
        <translation>启动程序</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Open directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Mouse sensitivity</source>
        <translation>灵敏度调节</translation>
    </message>
    <message>
        <source>Mouse speed adjustment</source>
        <translation>灵敏度速度调节</translation>
    </message>
</context>
<context>
    <name>KItemFolder</name>
    <message>
        <source>Play sound</source>
        <translation>播放声音</translation>
    </message>
    <message>
        <source>Launch program</source>
        <translation>启动程序</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Open directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Music File (*.mp3 *.wma *.ogg *.wav *.flac)</source>
        <translation>音乐文件 (*.mp3 *.wma *.ogg *.wav *.flac)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Applications (*.exe)</source>
        <translation>应用程序 (*.exe)</translation>
    </message>
    <message>
        <source>Applications (*)</source>
        <translation>应用程序 (*)</translation>
    </message>
    <message>
        <source>Scripts and launchers (*.sh *.desktop *.AppImage)</source>
        <translation>脚本与启动器 (*.sh *.desktop *.AppImage)</translation>
    </message>
    <message>
        <source>File (*)</source>
        <translation>文件 (*)</translation>
    </message>
    <message>
        <source>Choose the path of %1</source>
        <translation>选择%1的路径</translation>
    </message>
</context>
<context>
    <name>KItemSensitivity</name>
    <message>
        <source>Drag the scroll bar to adjust the mouse speed</source>
        <translation>按下按钮在主指针速度和自定义指针速度之间切换</translation>
    </message>
</context>
<context>
    <name>KKBCommon</name>
    <message>
        <source>Back</source>
        <translation>后退</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>前进</translation>
    </message>
    <message>
        <source>Homepage</source>
        <translation>主页</translation>
    </message>
    <message>
        <source>EMail</source>
        <translation>邮箱</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>音乐</translation>
    </message>
    <message>
        <source>Pause/Play</source>
        <translation>暂停/播放</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Previous track</source>
        <translation>上一曲</translation>
    </message>
    <message>
        <source>Next track</source>
        <translation>下一曲</translation>
    </message>
    <message>
        <source>Volume down</source>
        <translation>减小音量</translation>
    </message>
    <message>
        <source>Volume up</source>
        <translation>增加音量</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>静音</translation>
    </message>
</context>
<context>
    <name>KKBTxtImgBtn</name>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>KMSCommon</name>
    <message>
        <source>3Key</source>
        <translation>3键</translation>
    </message>
    <message>
        <source>5Key</source>
        <translation>5键</translation>
    </message>
    <message>
        <source>7Key</source>
        <translation>7键</translation>
    </message>
    <message>
        <source>Right button</source>
        <translation>右键</translation>
    </message>
    <message>
        <source>Roller middle button</source>
        <translation>中键</translation>
    </message>
    <message>
        <source>Roller forward</source>
        <translation>滚轮向上</translation>
    </message>
    <message>
        <source>Roller backward</source>
        <translation>滚轮向下</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>测滚向右</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>测滚向左</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>前进</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>后退</translation>
    </message>
</context>
<context>
    <name>KMSSelectItem1</name>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>KMenuCommon</name>
    <message>
        <source>Basic function</source>
        <translation>基本功能</translation>
    </message>
    <message>
        <source>Media function</source>
        <translation>媒体功能</translation>
    </message>
    <message>
        <source>Mouse function</source>
        <translation>鼠标功能</translation>
    </message>
    <message>
        <source>Windows function</source>
        <translation>Windows功能</translation>
    </message>
    <message>
        <source>Advanced Function</source>
        <translation>高级功能</translation>
    </message>
    <message>
        <source>Mouse sensitivity</source>
        <translation>灵敏度调节</translation>
    </message>
</context>
<context>
    <name>KMouseSensitivity</name>
    <message>
        <source>The desktop did not take the new pointer speed (no mouse found, or its settings service did not answer); the log says why.</source>
        <translation>桌面未接受新的鼠标速度（未找到鼠标，或其设置服务没有响应），原因请查看日志。</translation>
    </message>
    <message>
        <source>The pointer speed cannot be set from here: this desktop keeps it to itself. Change it in the desktop's own mouse settings.</source>
        <translation>无法在此设置鼠标速度：当前桌面自行管理该设置。请在桌面自带的鼠标设置中修改。</translation>
    </message>
</context>
<context>
    <name>KNetBase</name>
    <message>
        <source>Not connected to the network</source>
        <translation>网络未连接，请检查网络或重启驱动</translation>
    </message>
    <message>
        <source>The server did not answer in time</source>
        <translation>服务器未能及时响应，请稍后重试</translation>
    </message>
    <message>
        <source>Your session has ended: please sign in again</source>
        <translation>登录已失效，请重新登录</translation>
    </message>
    <message>
        <source>The server's answer is too large</source>
        <translation>服务器的应答过大</translation>
    </message>
    <message>
        <source>The server's answer could not be read</source>
        <translation>无法读取服务器的应答</translation>
    </message>
    <message>
        <source>The server redirected the request elsewhere</source>
        <translation>服务器将请求转到了别处</translation>
    </message>
</context>
<context>
    <name>KNetDownloadConfig</name>
    <message>
        <source>Configuration downloaded; entries skipped as unknown: %1</source>
        <translation>配置已下载；已跳过无法识别的条目：%1</translation>
    </message>
    <message>
        <source>There is no configuration in the cloud yet: nothing to download</source>
        <translation>云端尚无配置，没有可下载的内容</translation>
    </message>
    <message>
        <source>The configuration in the cloud could not be read</source>
        <translation>无法读取云端的配置</translation>
    </message>
</context>
<context>
    <name>KNoticeClose</name>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>KPWDTextField</name>
    <message>
        <source>At most %1 characters can be entered here</source>
        <translation>此处最多可输入%1个字符</translation>
    </message>
    <message>
        <source>"%1" cannot be used here</source>
        <translation>"%1"不能在此处使用</translation>
    </message>
    <message>
        <source>The pasted text cannot be used here</source>
        <translation>无法使用粘贴的文本</translation>
    </message>
</context>
<context>
    <name>KSureBtn</name>
    <message>
        <source>Sure</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>KSyncWidget</name>
    <message>
        <source>Download cloud settings</source>
        <translation>下载云端设置</translation>
    </message>
    <message>
        <source>Upload to the current configuration settings</source>
        <translation>上传云端设置</translation>
    </message>
</context>
<context>
    <name>KTipLine</name>
    <message>
        <source>Request failed, please check the network and try again</source>
        <translation>请求失败，请检查网络后重试</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示信息</translation>
    </message>
</context>
<context>
    <name>KViewForgot1</name>
    <message>
        <source>Mailbox error</source>
        <translation>请输入正确的邮箱</translation>
    </message>
    <message>
        <source>Email account</source>
        <translation>请输入您的注册邮箱</translation>
    </message>
    <message>
        <source>In order to protect the account security, we will send a verification code to the mailbox.</source>
        <translation>为了保护账户安全 我们将发送一条验证码至您的邮箱.</translation>
    </message>
</context>
<context>
    <name>KViewForgot2</name>
    <message>
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Please enter the correct verification code</source>
        <translation>请输入正确的验证码</translation>
    </message>
    <message>
        <source>Mailbox error</source>
        <translation>邮箱错误，请关闭窗口后重试</translation>
    </message>
    <message>
        <source>Please enter the verification code</source>
        <translation>请输入验证码</translation>
    </message>
</context>
<context>
    <name>KViewForgot3</name>
    <message>
        <source>Must be 6 characters or more</source>
        <translation>密码长度至少为6位</translation>
    </message>
    <message>
        <source>The two passwords input are inconsistent</source>
        <translation>两次密码输入不一致</translation>
    </message>
    <message>
        <source>New password</source>
        <translation>新密码</translation>
    </message>
    <message>
        <source>Repeating password</source>
        <translation>再次输入新密码</translation>
    </message>
</context>
<context>
    <name>KViewForgot5</name>
    <message>
        <source>1. The email address is not correct</source>
        <translation>1. 邮箱地址不正确</translation>
    </message>
    <message>
        <source>2. Verification mail has not been sent out due to delay and other reasons</source>
        <translation>2. 验证邮箱因为延迟等原因还没有发出</translation>
    </message>
    <message>
        <source>3. The verification mail is judged by the receiving mailbox server as spam and automatically transferred it to the trash can.</source>
        <translation>3. 邮箱验证被接收的邮箱服务器判断为垃圾邮件，自动转入垃圾邮箱中.</translation>
    </message>
    <message>
        <source>If the verification mail is not found in any of the above ways, you can click on the re-send button on the verification interface to send again or re-register it if using another email address</source>
        <translation>以上方法还为解决您的问题，请在验证界面点击重新发送或重新注册</translation>
    </message>
</context>
<context>
    <name>KWinSimulator</name>
    <message>
        <source>Install the udev rule 70-pointora.rules (sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/, then sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger) and sign in again.</source>
        <translation>请安装 udev 规则 70-pointora.rules（sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/，然后执行 sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger），再重新登录。</translation>
    </message>
    <message>
        <source>Only X11 programs receive the keys and mouse events the functions send, because /dev/uinput cannot be opened.</source>
        <translation>由于无法打开 /dev/uinput，功能发出的按键和鼠标事件只有 X11 程序能收到。</translation>
    </message>
    <message>
        <source>No program receives the keys and mouse events the functions send, because /dev/uinput cannot be opened.</source>
        <translation>由于无法打开 /dev/uinput，功能发出的按键和鼠标事件没有任何程序能收到。</translation>
    </message>
    <message>
        <source>The window in front cannot be maximized here: this desktop lets no program change other programs' windows.</source>
        <translation>无法在此最大化前台窗口：当前桌面不允许程序更改其他程序的窗口。</translation>
    </message>
    <message>
        <source>The window in front cannot be minimized here: this desktop lets no program change other programs' windows.</source>
        <translation>无法在此最小化前台窗口：当前桌面不允许程序更改其他程序的窗口。</translation>
    </message>
    <message>
        <source>The desktop did not maximize the window in front; the log says why.</source>
        <translation>桌面未能最大化前台窗口，原因请查看日志。</translation>
    </message>
    <message>
        <source>The desktop did not minimize the window in front; the log says why.</source>
        <translation>桌面未能最小化前台窗口，原因请查看日志。</translation>
    </message>
    <message>
        <source>Screen brightness cannot be changed in this session: the display server lets no program set the gamma ramp.</source>
        <translation>此会话中无法调节屏幕亮度：显示服务器不允许任何程序设置伽马曲线。</translation>
    </message>
    <message>
        <source>No screen magnifier is available on this desktop. Install KDE's magnifier (kmag), or use GNOME, whose magnifier is built in.</source>
        <translation>此桌面没有可用的屏幕放大镜。请安装 KDE 的放大镜（kmag），或使用内置放大镜的 GNOME。</translation>
    </message>
</context>
<context>
    <name>KWindowBar</name>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>MCPairMutiThreadWork</name>
    <message>
        <source>Not detected equipment</source>
        <translation>未找到设备</translation>
    </message>
</context>
<context>
    <name>MouseCommunityBT</name>
    <message>
        <source>Failed to init</source>
        <translation>Device未初始化</translation>
    </message>
    <message>
        <source>Failed to start matching, please reconnect the receiver</source>
        <translation>启动对码失败，请重新插拔接收器</translation>
    </message>
    <message>
        <source>Matched successfully</source>
        <translation>对码成功</translation>
    </message>
    <message>
        <source>Failed to match</source>
        <translation>对码失败</translation>
    </message>
    <message>
        <source>No permission to use the receiver. Install the udev rule 70-pointora.rules (the package does it; from the sources: sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/ &amp;&amp; sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger), then plug the receiver in again</source>
        <translation>没有使用接收器的权限。请安装 udev 规则 70-pointora.rules（安装包会自动安装；从源码安装：sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/ &amp;&amp; sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger），然后重新插入接收器</translation>
    </message>
</context>
<context>
    <name>PageMain</name>
    <message>
        <source>Successful to modify password</source>
        <translation>修改密码成功</translation>
    </message>
    <message>
        <source>tips: </source>
        <translation>提示：</translation>
    </message>
    <message>
        <source>Succeeded to upload configuration</source>
        <translation>上传成功</translation>
    </message>
    <message>
        <source>Failed to upload configuration</source>
        <translation>上传失败</translation>
    </message>
    <message>
        <source>Succeeded to download configuration</source>
        <translation>下载成功</translation>
    </message>
    <message>
        <source>Failed to download configuration</source>
        <translation>下载失败</translation>
    </message>
    <message>
        <source>Recovered successfully</source>
        <translation>恢复成功</translation>
    </message>
    <message>
        <source> Welcome back</source>
        <translation> 登录成功</translation>
    </message>
    <message>
        <source>Successful register</source>
        <translation>注册成功</translation>
    </message>
    <message>
        <source>Pointora lacks access to what it needs:</source>
        <translation>Pointora 缺少所需的访问权限：</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>重新检查</translation>
    </message>
    <message>
        <source>Failed to upload configuration: %1</source>
        <translation>上传失败：%1</translation>
    </message>
    <message>
        <source>Failed to download configuration: %1</source>
        <translation>下载失败：%1</translation>
    </message>
</context>
<context>
    <name>PageMainHead</name>
    <message>
        <source>Sign in</source>
        <translation>未登录</translation>
    </message>
    <message>
        <source>Synchronization</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>2.4MatchCode</source>
        <translation>2.4G对码</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>功能配置</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>恢复默认</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>账户</translation>
    </message>
</context>
<context>
    <name>PageUnpair</name>
    <message>
        <source>Not detected equipment</source>
        <translation>未找到设备</translation>
    </message>
    <message>
        <source>Make sure that the equipment connection is open</source>
        <translation>请确认设备已连接</translation>
    </message>
</context>
<context>
    <name>UIMainWindow</name>
    <message>
        <source>Pointora</source>
        <translation>TolvaDriver</translation>
    </message>
</context>
<context>
    <name>UIManager</name>
    <message>
        <source>Pointora Running...</source>
        <translation>TolvaDriver 运行中...</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
</TS>