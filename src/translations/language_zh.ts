<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
    <name>KNetBase</name>
    <message>
        <source>Not connected to the network</source>
        <translation>网络未连接，请检查网络或重启驱动</translation>
    </message>
    <message>
        <source>The server did not answer in time</source>
        <translation>服务器未能及时响应，请稍后重试</translation>
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