<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>Accessibility</name>
    <message>
        <source>%1%2</source>
        <extracomment>A progress bar&apos;s value as a screen reader reads it: the number and the locale&apos;s percent sign, &quot;42%&quot;.</extracomment>
        <translation>%1%2</translation>
    </message>
</context>
<context>
    <name>DataSize</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 / %2</translation>
    </message>
</context>
<context>
    <name>DoneNotifier</name>
    <message>
        <source>%1, verified, saved in %2</source>
        <translation>%1 を検証し、%2 に保存しました</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 を %2 に保存しました</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>フォルダーで表示</translation>
    </message>
    <message>
        <source>%1 downloaded</source>
        <translation>%1 をダウンロードしました</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened: the desktop has no file manager to show it.</source>
        <translation>フォルダー %1 を開けませんでした：デスクトップにそれを表示するファイルマネージャーがありません。</translation>
    </message>
</context>
<context>
    <name>FailureMessage</name>
    <message>
        <source>the server&apos;s name was not found</source>
        <translation>サーバー名が見つかりませんでした</translation>
    </message>
    <message>
        <source>could not reach the server</source>
        <translation>サーバーに接続できませんでした</translation>
    </message>
    <message>
        <source>no answer from the server for %1 s</source>
        <translation>サーバーから %1 秒間応答がありませんでした</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>サーバーが接続を閉じました</translation>
    </message>
    <message>
        <source>the secure connection could not be set up</source>
        <translation>安全な接続を確立できませんでした</translation>
    </message>
    <message>
        <source>the server redirected too many times</source>
        <translation>サーバーのリダイレクトが多すぎます</translation>
    </message>
    <message>
        <source>refused a redirect from a secure address to an insecure one</source>
        <translation>安全なアドレスから安全でないアドレスへのリダイレクトを拒否しました</translation>
    </message>
    <message>
        <source>redirected to %1, which is not a web address it downloads from</source>
        <extracomment>%1 is where the redirect led, cut after its scheme: &quot;mailto:…&quot;.</extracomment>
        <translation>%1 にリダイレクトされましたが、ダウンロード元にできる Web アドレスではありません</translation>
    </message>
    <message>
        <source>the server redirected to an address that cannot be used</source>
        <translation>サーバーは使用できないアドレスへリダイレクトしました</translation>
    </message>
    <message>
        <source>the server&apos;s answer could not be read</source>
        <translation>サーバーの応答を読み取れませんでした</translation>
    </message>
    <message>
        <source>the transfer failed</source>
        <translation>転送に失敗しました</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A failure and the system&apos;s own few words on it, often in English: &quot;could not reach the server (Connection refused)&quot;.</extracomment>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2.</source>
        <translation>%1 をダウンロードできませんでした：%2。</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.</source>
        <translation>%1 をダウンロードできませんでした：%2。以前のアーカイブがあれば、そのまま残っています。</translation>
    </message>
    <message>
        <source>the server ended the body</source>
        <translation>サーバーが送信を終えました</translation>
    </message>
    <message>
        <source>%1 saved in %2</source>
        <translation>%1 を %2 に保存しました</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>キャンセル済み</translation>
    </message>
    <message>
        <source>incomplete, %1 kept in %2</source>
        <translation>未完了、%1 が %2 に残っています</translation>
    </message>
    <message>
        <source>could not be saved to %1</source>
        <translation>%1 に保存できませんでした</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>How the last download ended, after the tool&apos;s name: &quot;Vorn Scanner V1.40: 2.0 MiB saved in ~/Downloads&quot;.</extracomment>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>the server&apos;s status line cannot be read</source>
        <translation>サーバーのステータス行を読み取れません</translation>
    </message>
    <message>
        <source>the server&apos;s answer head is too large</source>
        <translation>サーバーの応答ヘッダーが大きすぎます</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot;</source>
        <extracomment>A failure and the server&apos;s own words it is about: the server&apos;s status line cannot be read: &quot;HTTP/1.1 2OO OK&quot;.</extracomment>
        <translation>%1：「%2」</translation>
    </message>
    <message>
        <source>%1 from the desktop&apos;s settings</source>
        <translation>デスクトップの設定の %1</translation>
    </message>
    <message>
        <source>the proxy setting %1 cannot be read</source>
        <translation>プロキシ設定 %1 を読み取れません</translation>
    </message>
    <message>
        <source>the proxy&apos;s name in %1 was not found</source>
        <translation>%1 のプロキシ名が見つかりませんでした</translation>
    </message>
    <message>
        <source>could not reach the proxy %1</source>
        <translation>プロキシ %1 に接続できませんでした</translation>
    </message>
    <message>
        <source>the proxy %1 refused to open a connection to the server (it answered %2)</source>
        <translation>プロキシ %1 がサーバーへの接続を拒否しました（応答：%2）</translation>
    </message>
    <message>
        <source>the proxy %1 failed</source>
        <translation>プロキシ %1 でエラーが発生しました</translation>
    </message>
    <message>
        <source>The download of %1 is incomplete: %2 after %3.
The partial data is kept in %4.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;; %3 is how much arrived: &quot;293.0 of 878.9 KiB&quot;, or &quot;293.0 KiB&quot; when the size was never told.</extracomment>
        <translation>%1 のダウンロードは完了していません：%2（%3 の時点）。
受信済みのデータは %4 に残っています。</translation>
    </message>
    <message>
        <source>%1 could not be saved to %2: %3.</source>
        <translation>%1 を %2 に保存できませんでした：%3。</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a file</source>
        <translation>証明書の設定 %1 はファイルを指していません</translation>
    </message>
    <message>
        <source>the certificate setting %1 does not name a folder</source>
        <translation>証明書の設定 %1 はフォルダーを指していません</translation>
    </message>
    <message>
        <source>the certificates to trust could not be read from %1</source>
        <translation>信頼する証明書を %1 から読み取れませんでした</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not made out to its name</source>
        <translation>サーバーの証明書はそのサーバーの名前に対して発行されていません</translation>
    </message>
    <message>
        <source>the server&apos;s certificate is not from an issuer trusted here</source>
        <translation>サーバーの証明書はここで信頼されている発行者のものではありません</translation>
    </message>
    <message>
        <source>the server&apos;s certificate has expired</source>
        <translation>サーバーの証明書の有効期限が切れています</translation>
    </message>
    <message>
        <source>the server sent no data</source>
        <translation>サーバーがデータを送信しませんでした</translation>
    </message>
    <message>
        <source>the server answered with status %1 instead of sending the archive</source>
        <translation>サーバーがアーカイブを送信せず、ステータス %1 を返しました</translation>
    </message>
    <message>
        <source>the server sent the archive encoded (%1) although it was asked not to</source>
        <translation>エンコードなしを求めたにもかかわらず、サーバーがアーカイブをエンコード（%1）して送信しました</translation>
    </message>
    <message>
        <source>the server sent a web page instead of the archive</source>
        <translation>サーバーがアーカイブではなくウェブページを送信しました</translation>
    </message>
    <message>
        <source>the server announced a size that cannot be right (&quot;%1&quot;)</source>
        <translation>サーバーが示したサイズは正しいはずがありません（「%1」）</translation>
    </message>
    <message>
        <source>the server sent only part of the archive (&quot;%1&quot;)</source>
        <translation>サーバーがアーカイブの一部しか送信しませんでした（「%1」）</translation>
    </message>
    <message>
        <source>the server sent only part of the archive</source>
        <translation>サーバーがアーカイブの一部しか送信しませんでした</translation>
    </message>
    <message>
        <source>the server sent the archive wrapped in parts (multipart/byteranges) instead of as it is</source>
        <translation>サーバーがアーカイブをそのままではなく、いくつかの部分に包んで送信しました（multipart/byteranges）</translation>
    </message>
    <message>
        <source>the server did not say how large the whole archive is (it sent &quot;%1&quot;)</source>
        <translation>サーバーがアーカイブ全体の大きさを示しませんでした（送信内容：「%1」）</translation>
    </message>
    <message numerus="yes">
        <source>the server announced two different sizes: %1 bytes as its length and %2 in its range</source>
        <translation>
            <numerusform>サーバーが 2 つの異なるサイズを示しました：長さとして %1 バイト、範囲として %2</numerusform>
        </translation>
    </message>
    <message>
        <source>the server gave a checksum of the archive that cannot be read</source>
        <translation>サーバーが示したアーカイブのチェックサムを読み取れません</translation>
    </message>
    <message numerus="yes">
        <source>the server sent more than the %1 bytes it announced</source>
        <translation>
            <numerusform>サーバーが予告した %1 バイトを超えて送信しました</numerusform>
        </translation>
    </message>
    <message>
        <source>the archive did not match the checksum the server gave</source>
        <translation>アーカイブがサーバーの示したチェックサムと一致しませんでした</translation>
    </message>
    <message>
        <source>the folder to save in is unknown</source>
        <translation>保存先のフォルダーが不明です</translation>
    </message>
    <message>
        <source>it is a link, and a download never writes through a link</source>
        <translation>リンクです。ダウンロードはリンクを通して書き込むことはありません</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>it belongs to another user, and a download only writes files of its own</source>
        <translation>別のユーザーのファイルです。ダウンロードは自分のファイルにしか書き込みません</translation>
    </message>
    <message>
        <source>it has other names as well (hard links), and a download never writes into such a file</source>
        <translation>ほかの名前（ハードリンク）も持つファイルです。ダウンロードはそのようなファイルに書き込みません</translation>
    </message>
    <message>
        <source>another download is writing this file</source>
        <translation>別のダウンロードがこのファイルに書き込んでいます</translation>
    </message>
    <message>
        <source>someone changed the file as soon as it was opened</source>
        <translation>ファイルが開かれた直後に誰かに変更されました</translation>
    </message>
    <message>
        <source>the file was changed while it was being written</source>
        <translation>書き込み中にファイルが変更されました</translation>
    </message>
    <message numerus="yes">
        <source>the file was changed while it was being written (it holds %1 bytes, not %2)</source>
        <translation>
            <numerusform>書き込み中にファイルが変更されました（%2 バイトのはずが %1 バイトあります）</numerusform>
        </translation>
    </message>
    <message>
        <source>the file was replaced while it was being written</source>
        <translation>書き込み中にファイルが置き換えられました</translation>
    </message>
    <message>
        <source>the file was given another name while it was being written</source>
        <translation>書き込み中にファイル名が変更されました</translation>
    </message>
    <message>
        <source>the new archive is in place, but the system could not confirm that it is on the disk (%1)</source>
        <translation>新しいアーカイブは置き換わりましたが、ディスクに保存されたことをシステムが確認できませんでした（%1）</translation>
    </message>
    <message>
        <source>there is no home folder to find the download folder in</source>
        <translation>ダウンロードフォルダーを探すためのホームフォルダーがありません</translation>
    </message>
    <message>
        <source>the download folder set in %1 is not an absolute path</source>
        <translation>%1 で設定されたダウンロードフォルダーが絶対パスではありません</translation>
    </message>
    <message>
        <source>the name of the download folder set in %1 is not valid in the system&apos;s encoding of file names</source>
        <translation>%1 で設定されたダウンロードフォルダーの名前は、このシステムのファイル名のエンコーディングでは無効です</translation>
    </message>
    <message>
        <source>the download folder cannot be read from %1, which is not a regular file</source>
        <translation>%1 は通常のファイルではないため、ダウンロードフォルダーを読み取れません</translation>
    </message>
    <message>
        <source>the folder could not be created (%1)</source>
        <translation>フォルダーを作成できませんでした（%1）</translation>
    </message>
    <message>
        <source>Multiple Choices</source>
        <translation>複数の選択肢</translation>
    </message>
    <message>
        <source>Moved Permanently</source>
        <translation>恒久的に移動</translation>
    </message>
    <message>
        <source>Found</source>
        <translation>発見</translation>
    </message>
    <message>
        <source>See Other</source>
        <translation>他を参照</translation>
    </message>
    <message>
        <source>Not Modified</source>
        <translation>未更新</translation>
    </message>
    <message>
        <source>Use Proxy</source>
        <translation>プロキシを使用</translation>
    </message>
    <message>
        <source>Temporary Redirect</source>
        <translation>一時的なリダイレクト</translation>
    </message>
    <message>
        <source>Permanent Redirect</source>
        <translation>恒久的なリダイレクト</translation>
    </message>
    <message>
        <source>Bad Request</source>
        <translation>不正なリクエスト</translation>
    </message>
    <message>
        <source>Unauthorized</source>
        <translation>認証が必要</translation>
    </message>
    <message>
        <source>Payment Required</source>
        <translation>支払いが必要</translation>
    </message>
    <message>
        <source>Forbidden</source>
        <translation>禁止</translation>
    </message>
    <message>
        <source>Not Found</source>
        <translation>見つかりません</translation>
    </message>
    <message>
        <source>Method Not Allowed</source>
        <translation>許可されていないメソッド</translation>
    </message>
    <message>
        <source>Not Acceptable</source>
        <translation>受理できません</translation>
    </message>
    <message>
        <source>Proxy Authentication Required</source>
        <translation>プロキシ認証が必要</translation>
    </message>
    <message>
        <source>Request Timeout</source>
        <translation>リクエストのタイムアウト</translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation>競合</translation>
    </message>
    <message>
        <source>Gone</source>
        <translation>消滅</translation>
    </message>
    <message>
        <source>Length Required</source>
        <translation>長さが必要</translation>
    </message>
    <message>
        <source>Precondition Failed</source>
        <translation>前提条件の失敗</translation>
    </message>
    <message>
        <source>Content Too Large</source>
        <translation>コンテンツが大きすぎます</translation>
    </message>
    <message>
        <source>URI Too Long</source>
        <translation>URI が長すぎます</translation>
    </message>
    <message>
        <source>Unsupported Media Type</source>
        <translation>サポートされていないメディアタイプ</translation>
    </message>
    <message>
        <source>Range Not Satisfiable</source>
        <translation>範囲を満たせません</translation>
    </message>
    <message>
        <source>Expectation Failed</source>
        <translation>期待に応えられません</translation>
    </message>
    <message>
        <source>Misdirected Request</source>
        <translation>誤ったリクエスト先</translation>
    </message>
    <message>
        <source>Unprocessable Content</source>
        <translation>処理できないコンテンツ</translation>
    </message>
    <message>
        <source>Upgrade Required</source>
        <translation>アップグレードが必要</translation>
    </message>
    <message>
        <source>Too Many Requests</source>
        <translation>リクエストが多すぎます</translation>
    </message>
    <message>
        <source>Unavailable For Legal Reasons</source>
        <translation>法的理由により利用できません</translation>
    </message>
    <message>
        <source>Internal Server Error</source>
        <translation>サーバー内部エラー</translation>
    </message>
    <message>
        <source>Not Implemented</source>
        <translation>未実装</translation>
    </message>
    <message>
        <source>Bad Gateway</source>
        <translation>不正なゲートウェイ</translation>
    </message>
    <message>
        <source>Service Unavailable</source>
        <translation>サービス利用不可</translation>
    </message>
    <message>
        <source>Gateway Timeout</source>
        <translation>ゲートウェイのタイムアウト</translation>
    </message>
    <message>
        <source>HTTP Version Not Supported</source>
        <translation>サポートされていない HTTP バージョン</translation>
    </message>
    <message>
        <source>Network Authentication Required</source>
        <translation>ネットワーク認証が必要</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>status</comment>
        <extracomment>A status and its standard meaning: &quot;404, Not Found&quot;.</extracomment>
        <translation>%1、%2</translation>
    </message>
    <message>
        <source>the proxy %1 asks for a user name and password (it answered %2)</source>
        <translation>プロキシ %1 がユーザー名とパスワードを求めています（応答：%2）</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>サーバーが「%1」と応答しました</translation>
    </message>
    <message>
        <source>%1 could not be downloaded: %2 before any of the archive arrived. The earlier archive, if any, is unchanged.</source>
        <extracomment>%2 says why, e.g. &quot;the server closed the connection&quot;.</extracomment>
        <translation>%1 をダウンロードできませんでした：アーカイブが届く前に%2。以前のアーカイブがあれば、そのまま残っています。</translation>
    </message>
    <message>
        <source>%1 could not be saved: %2.</source>
        <translation>%1 を保存できませんでした：%2。</translation>
    </message>
    <message>
        <source>could not be saved</source>
        <translation>保存できませんでした</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 has %3 free</source>
        <translation>%1 必要ですが、%2 のディスクの空きは %3 です</translation>
    </message>
    <message>
        <source>needs %1; the disk of %2 cannot hold a file that large</source>
        <translation>%1 必要ですが、%2 のディスクにはそれほど大きなファイルを置けません</translation>
    </message>
    <message>
        <source>the server only speaks HTTP/2</source>
        <translation>サーバーは HTTP/2 にしか対応していません</translation>
    </message>
    <message>
        <source>the archive on the server is empty</source>
        <translation>サーバー上のアーカイブは空です</translation>
    </message>
    <message>
        <source>the proxy %1 did not accept the user name and password (it answered %2)</source>
        <translation>プロキシ %1 がユーザー名とパスワードを受け付けませんでした（応答：%2）</translation>
    </message>
    <message>
        <source>the proxy %1 answered %2 instead of the server</source>
        <translation>サーバーではなくプロキシ %1 が応答しました（応答：%2）</translation>
    </message>
    <message>
        <source>the answer through the proxy %1 was %2</source>
        <extracomment>&quot;the answer through the proxy http_proxy=http://127.0.0.1:3128 was 500, Internal Server Error&quot;</extracomment>
        <translation>プロキシ %1 経由の応答は %2 でした</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Download failed</source>
        <translation>ダウンロードに失敗しました</translation>
    </message>
</context>
<context>
    <name>ProgressReadout</name>
    <message>
        <source>%1 s left</source>
        <translation>残り %1 秒</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>残り %1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>残り %1 時間 %2 分</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>Joins the readings of a download&apos;s progress: the amount so far, the speed, the time left.</extracomment>
        <translation>%1、%2</translation>
    </message>
    <message>
        <source>stalled</source>
        <translation>停滞中</translation>
    </message>
    <message>
        <source>%1/s</source>
        <extracomment>A speed: &quot;2.0 MiB/s&quot;.</extracomment>
        <translation>%1/秒</translation>
    </message>
</context>
<context>
    <name>SuspendInhibitor</name>
    <message>
        <source>Downloading %1</source>
        <translation>%1 をダウンロード中</translation>
    </message>
</context>
<context>
    <name>WindowDescription</name>
    <message>
        <source>Tool to download</source>
        <translation>ダウンロードするツール</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>ダウンロード</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>進行状況</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Fetches the archive of the tool picked in the list</source>
        <translation>リストで選んだツールのアーカイブをダウンロードします</translation>
    </message>
    <message>
        <source>Stops the running download</source>
        <translation>実行中のダウンロードをキャンセルします</translation>
    </message>
    <message>
        <source>Shows who made the program</source>
        <translation>プログラムの作者を表示します</translation>
    </message>
    <message>
        <source>Ends the program at once</source>
        <translation>プログラムをすぐに終了します</translation>
    </message>
    <message>
        <source>VORN banner</source>
        <translation>VORN バナー</translation>
    </message>
    <message>
        <source>DAVRIN</source>
        <translation>DAVRIN</translation>
    </message>
    <message>
        <source>Closes this window</source>
        <translation>このウィンドウを閉じます</translation>
    </message>
</context>
</TS>
