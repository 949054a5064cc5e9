<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>CapturePanel</name>
    <message>
        <source>Advanced logs</source>
        <translation>詳細ログ</translation>
    </message>
    <message>
        <source>Installed app information</source>
        <translation>インストール済みアプリの情報</translation>
    </message>
</context>
<context>
    <name>FailurePanel</name>
    <message>
        <source>Error sharing logs.</source>
        <translation>ログを共有できませんでした。</translation>
    </message>
    <message>
        <source>Please ensure you have access to the internet.</source>
        <translation>インターネットに接続できることを確認してください。</translation>
    </message>
    <message>
        <source>Upload cancelled.</source>
        <translation>アップロードをキャンセルしました。</translation>
    </message>
    <message>
        <source>You can</source>
        <translation>こちらから</translation>
    </message>
    <message>
        <source>view the logs</source>
        <translation>ログを表示</translation>
    </message>
    <message>
        <source>and share it with us at</source>
        <translation>し、次の宛先に送ってください:</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>送信内容を確認</translation>
    </message>
    <message>
        <source>Send automatically when possible</source>
        <translation>可能になったら自動的に送信</translation>
    </message>
    <message>
        <source>Tarvix will send the report when it can.</source>
        <translation>Tarvix は送信できるようになったらレポートを送信します。</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>レポート</translation>
    </message>
</context>
<context>
    <name>FeedbackForm</name>
    <message>
        <source>Desciption is required</source>
        <translation>説明を入力してください</translation>
    </message>
    <message>
        <source>Invalid email address</source>
        <translation>メールアドレスが正しくありません</translation>
    </message>
</context>
<context>
    <name>FileViewer</name>
    <message>
        <source>back to the list</source>
        <translation>一覧に戻る</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>検索</translation>
    </message>
    <message>
        <source>Find next</source>
        <translation>次を検索</translation>
    </message>
    <message>
        <source>Only the first %1 of this file are shown.</source>
        <translation>このファイルの先頭 %1 のみ表示しています。</translation>
    </message>
    <message>
        <source>Not found.</source>
        <translation>見つかりません。</translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <source>© Norvane. All rights reserved.</source>
        <translation>© Norvane. All rights reserved.</translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <source>Scrivo and Glance</source>
        <translation>Scrivo と Glance</translation>
    </message>
    <message>
        <source>Scrivo troubleshooting tool</source>
        <translation>Scrivo トラブルシューティングツール</translation>
    </message>
</context>
<context>
    <name>LogsGeneratedPanel</name>
    <message>
        <source>view logs</source>
        <translation>ログを表示</translation>
    </message>
    <message>
        <source>review what is sent</source>
        <translation>送信内容を確認</translation>
    </message>
    <message>
        <source>reports</source>
        <translation>レポート</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>reports</source>
        <translation>レポート</translation>
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
        <translation>レポートを送信しました</translation>
    </message>
    <message>
        <source>The report kept to send later was sent. Log ID: %1</source>
        <translation>後で送信するために保存したレポートを送信しました。ログ ID: %1</translation>
    </message>
</context>
<context>
    <name>ReportsPanel</name>
    <message>
        <source>Reports</source>
        <translation>レポート</translation>
    </message>
    <message>
        <source>close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>No reports yet.</source>
        <translation>レポートはまだありません。</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1、%2</translation>
    </message>
    <message>
        <source>Sent. Log ID: %1</source>
        <translation>送信済み。ログ ID: %1</translation>
    </message>
    <message>
        <source>Waiting to be sent. Next attempt: %1</source>
        <translation>送信待ち。次回の試行: %1</translation>
    </message>
    <message>
        <source>Given up: not sent within 7 days.</source>
        <translation>中止: 7 日以内に送信できませんでした。</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>send now</source>
        <translation>今すぐ送信</translation>
    </message>
    <message>
        <source>discard</source>
        <translation>破棄</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>left out: compressed, names cannot be hidden in it</source>
        <translation>除外: 圧縮されているため名前を隠せません</translation>
    </message>
    <message>
        <source>What is sent</source>
        <translation>送信される内容</translation>
    </message>
    <message>
        <source>close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>The logs are packaged. These choices can no longer change.</source>
        <translation>ログはパッケージ化済みです。この選択はもう変更できません。</translation>
    </message>
    <message>
        <source>open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>open %1</source>
        <translation>%1 を開く</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>ファイルを一覧にしています…</translation>
    </message>
    <message>
        <source>Files sent: %1 (%2)</source>
        <translation>送信するファイル: %1 (%2)</translation>
    </message>
    <message>
        <source>Archive about %1 of the %2 limit (estimated by compressing a sample of each kind of file).</source>
        <translation>アーカイブは約 %1（上限 %2）。各種類のファイルの一部を圧縮して見積もっています。</translation>
    </message>
    <message>
        <source>At least one file must be sent: the description alone does not help support.</source>
        <translation>少なくとも 1 つのファイルを送信してください。説明だけではサポートの役に立ちません。</translation>
    </message>
    <message>
        <source>The files could not be listed.</source>
        <translation>ファイルを一覧にできませんでした。</translation>
    </message>
    <message>
        <source>The file could not be opened.</source>
        <translation>ファイルを開けませんでした。</translation>
    </message>
    <message>
        <source>Hide my name and computer</source>
        <translation>名前とコンピューター名を隠す</translation>
    </message>
    <message>
        <source>The list of replacements stays on this computer: %1</source>
        <translation>置き換えの一覧はこのコンピューターに残ります: %1</translation>
    </message>
    <message>
        <source>Also hide these words</source>
        <translation>次の語句も隠す</translation>
    </message>
    <message>
        <source>a customer&apos;s or a project&apos;s name, separated by commas</source>
        <translation>顧客名やプロジェクト名（カンマ区切り）</translation>
    </message>
    <message>
        <source>Replaced in every file sent and in your description: your login; your real name as files write it (First.Last, Last, First, any case); your home folder; this computer&apos;s names and its network (hardware and IP) addresses; e-mail addresses other than yours; the words you add (names of one or two letters only as whole words). The archive is checked for them before it leaves: a file where one is still found stays on this computer. The feedback record holds a machine identifier that cannot be traced back to you.</source>
        <translation>送信するすべてのファイルと説明文で置き換えられるもの: ログイン名、ファイルに書かれる形での本名（名.姓、姓, 名、大文字小文字を問わず）、ホームフォルダー、このコンピューターの名前とネットワークアドレス（ハードウェアと IP）、ご自身以外のメールアドレス、追加した語句（1〜2 文字の名前は単語全体のみ）。アーカイブは送信前に確認され、まだ見つかったファイルはこのコンピューターに残ります。フィードバック記録には、あなたにたどり着けないマシン識別子が含まれます。</translation>
    </message>
</context>
<context>
    <name>SentPanel</name>
    <message>
        <source>Sent</source>
        <translation>送信済み</translation>
    </message>
    <message>
        <source>The log files were sent successfully.</source>
        <translation>ログファイルを送信しました。</translation>
    </message>
    <message>
        <source>Use the below Log ID for your reference:</source>
        <translation>お問い合わせの際は次のログ ID をお伝えください:</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>コピー</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>BASIC LOGS
• Scrivo configuration, settings and logs
• System configuration and settings</source>
        <translation>基本ログ
• Scrivo の構成、設定、ログ
• システムの構成と設定</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings</source>
        <translation>基本ログ                                     詳細ログ
• Scrivo の構成、設定、ログ      • Scrivo の完全なデータダンプ
• システムの構成と設定</translation>
    </message>
    <message>
        <source>BASIC LOGS                                                         ADVANCED LOGS
• Scrivo configuration, settings and logs        • Full Scrivo data dump
• System configuration and settings                  • Installed app version information</source>
        <translation>基本ログ                                     詳細ログ
• Scrivo の構成、設定、ログ      • Scrivo の完全なデータダンプ
• システムの構成と設定               • インストール済みアプリのバージョン情報</translation>
    </message>
    <message>
        <source>Start monitoring</source>
        <translation>監視を開始</translation>
    </message>
    <message>
        <source>Stop monitoring</source>
        <translation>監視を停止</translation>
    </message>
    <message>
        <source>Share logs</source>
        <translation>ログを共有</translation>
    </message>
    <message>
        <source>Stop upload</source>
        <translation>アップロードを停止</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Tarvix needs to collect the following information to address the issue</source>
        <translation>問題の解決のため、Tarvix は次の情報を収集します</translation>
    </message>
    <message>
        <source>Please tell us what led to the error</source>
        <translation>エラーが起きるまでの操作を教えてください</translation>
    </message>
    <message>
        <source>Norvane can contact me for fixes at the following email address</source>
        <translation>修正に関して Norvane から次のメールアドレスに連絡を受け取る</translation>
    </message>
    <message>
        <source>Please reproduce the steps that led to the issue and then select Stop monitoring</source>
        <translation>問題が起きたときの操作をもう一度行ってから「監視を停止」を選択してください</translation>
    </message>
    <message>
        <source>Capturing Scrivo data dump.</source>
        <translation>Scrivo のデータダンプを取得しています。</translation>
    </message>
    <message>
        <source>Capturing system configuration and settings.</source>
        <translation>システムの構成と設定を取得しています。</translation>
    </message>
    <message>
        <source>Capturing Scrivo settings and logs.</source>
        <translation>Scrivo の設定とログを取得しています。</translation>
    </message>
    <message>
        <source>Logging complete.</source>
        <translation>ログの記録が完了しました。</translation>
    </message>
    <message>
        <source>Compressing logs.</source>
        <translation>ログを圧縮しています。</translation>
    </message>
    <message>
        <source>No Scrivo installation detected</source>
        <translation>Scrivo のインストールが見つかりません</translation>
    </message>
    <message>
        <source>No Scrivo installation found on this device. Please install Scrivo and then start troubeshooting.</source>
        <translation>このデバイスに Scrivo がインストールされていません。Scrivo をインストールしてから、トラブルシューティングを開始してください。</translation>
    </message>
    <message>
        <source>Multiple instances of Scrivo detected</source>
        <translation>Scrivo が複数起動しています</translation>
    </message>
    <message>
        <source>Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.</source>
        <translation>Tarvix を実行する前に、問題が起きている Scrivo アプリを 1 つだけ開いてください。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Tarvix is collecting Scrivo&apos;s logs.</source>
        <translation>Tarvix が Scrivo のログを収集しています。</translation>
    </message>
    <message>
        <source>Scrivo&apos;s detailed logging stays on until monitoring is stopped.</source>
        <translation>監視を停止するまで、Scrivo の詳細ログは有効のままです。</translation>
    </message>
    <message>
        <source>Tarvix is sending the logs to the support team.</source>
        <translation>Tarvix がサポートチームにログを送信しています。</translation>
    </message>
    <message>
        <source>Tarvix is switching on Scrivo&apos;s detailed logging.</source>
        <translation>Tarvix が Scrivo の詳細ログを有効にしています。</translation>
    </message>
    <message>
        <source>Uploading %1%</source>
        <translation>アップロード中 %1%</translation>
    </message>
    <message>
        <source>Tarvix will send the reports kept to send later when it can.</source>
        <translation>Tarvix は後で送信するために保存したレポートを、送信できるようになったら送信します。</translation>
    </message>
    <message>
        <source>A hidden name is still in %1, so it is left out. Review what is sent, then share again.</source>
        <translation>%1 にまだ隠す名前が残っているため、このファイルは除外されます。送信内容を確認してから、もう一度共有してください。</translation>
    </message>
</context>
<context>
    <name>tarvix::app::StillRunningNotice</name>
    <message>
        <source>Tarvix is still running</source>
        <translation>Tarvix は実行中です</translation>
    </message>
    <message>
        <source>Start Tarvix again to bring its window back.</source>
        <translation>Tarvix をもう一度起動すると、ウィンドウが表示されます。</translation>
    </message>
    <message>
        <source>Show Tarvix</source>
        <translation>Tarvix を表示</translation>
    </message>
</context>
</TS>
