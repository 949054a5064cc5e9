<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>高级日志</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>已安装应用的信息</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>共享日志时出错。</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>请确认你可以访问互联网。</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>上传已取消。</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>你可以</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>查看日志</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>并发送到</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>查看发送内容</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>可能时自动发送</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>Tarvix 会在可以时发送该报告。</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>报告</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>请填写描述</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>电子邮件地址无效</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>返回列表</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>查找下一个</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>仅显示此文件的前 %1。</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>未找到。</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane。保留所有权利。</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo 和 Glance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>Scrivo 故障排除工具</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>查看日志</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>查看发送内容</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>报告</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>报告</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>LTR</translation>
    </message>
</context>
<context>
    <name>ReportSentNotice</name>
    <message>
        <source>Report sent</source>
        <translation>报告已发送</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>留待稍后发送的报告已发送。日志 ID：%1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>报告</translation>
    </message>
    <message>
        <source>close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>尚无报告。</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1，%2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>已发送。日志 ID：%1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>等待发送。下次尝试：%1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>已放弃：7 天内未能发送。</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>立即发送</translation>
    </message>
    <message>
        <source>discard</source>
        <translation>丢弃</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>left out: compressed, names cannot be hidden in it</source>
        <translation>已排除：已压缩，无法在其中隐藏名称</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>发送的内容</translation>
    </message>
    <message>
        <source>close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>日志已打包，这些选择无法再更改。</translation>
    </message>
    <message>
        <source>open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>打开 %1</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>正在列出文件…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>发送的文件：%1（%2）</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>压缩包约 %1，上限 %2（通过压缩每类文件的样本估算）。</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>至少要发送一个文件：仅有描述无法帮助技术支持。</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>无法列出文件。</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>无法打开文件。</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>隐藏我的姓名和计算机</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>替换列表保留在本机：%1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>同时隐藏这些词</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>客户或项目的名称，用逗号分隔</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>在发送的每个文件和您的描述中替换：您的登录名；文件中书写的您的真实姓名（名.姓、姓, 名，任意大小写）；您的主文件夹；这台计算机的名称及其网络地址（硬件地址和 IP）；除您自己以外的电子邮件地址；您添加的词语（一到两个字母的名称仅作为完整单词）。归档在发送前会被检查：仍能找到其中任一项的文件会留在这台计算机上。反馈记录包含一个无法追溯到您的机器标识符。</translation>
    </message>
</context>
<context>
    <name>SentPanel</name>
    <message>
        <source>Sent</source>
        <translation>已发送</translation>
    </message>
    <message>
        <source>The log files were sent successfully.</source>
        <translation>日志文件已成功发送。</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>请记下以下日志 ID 以供查询：</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>复制</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>BASIC LOGS
• Scrivo configuration, settings and logs
• System configuration and settings</source>
        <translation>基本日志
• Scrivo 配置、设置和日志
• 系统配置和设置</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>基本日志                                  高级日志
• Scrivo 配置、设置和日志      • 完整的 Scrivo 数据转储
• 系统配置和设置</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>基本日志                                  高级日志
• Scrivo 配置、设置和日志      • 完整的 Scrivo 数据转储
• 系统配置和设置                     • 已安装应用的版本信息</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>开始监控</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>停止监控</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>共享日志</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>停止上传</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>Tarvix 需要收集以下信息来解决问题</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>请告诉我们出错前做了什么</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>Norvane 可以通过以下电子邮件地址联系我提供修复</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>请重复导致问题的操作步骤，然后选择“停止监控”</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>正在捕获 Scrivo 数据转储。</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>正在捕获系统配置和设置。</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>正在捕获 Scrivo 设置和日志。</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>日志记录完成。</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>正在压缩日志。</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>未检测到 Scrivo 安装</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>此设备上未安装 Scrivo。请先安装 Scrivo，再开始故障排除。</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>检测到多个 Scrivo 实例</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>运行 Tarvix 前，请只打开需要排除故障的那一个 Scrivo 应用。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>Tarvix 正在收集 Scrivo 的日志。</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>在停止监控之前，Scrivo 的详细日志将保持开启。</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>Tarvix 正在将日志发送给支持团队。</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>Tarvix 正在开启 Scrivo 的详细日志。</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>正在上传 %1%</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>Tarvix 会在可以时发送留待稍后发送的报告。</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>%1 中仍有需要隐藏的名称，因此已将其排除。请检查要发送的内容，然后再次共享。</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>Tarvix 仍在运行</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>再次启动 Tarvix 即可重新打开窗口。</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>显示 Tarvix</translation>
    </message>
</context>
</TS>
