<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Orvane</name>
    <message>
        <source>Orvane は既に起動していますが、応答がありません。
</source>
        <translation>Orvane is already running, but it does not answer.
</translation>
    </message>
    <message>
        <source>Orvane: 後からの起動を受け付けられません（ソケットを開けませんでした）。
</source>
        <translation>Orvane: later starts cannot reach this one (the socket could not be opened).
</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>左-Menu:右-Help</source>
        <translation>Left-Menu:Right-Help</translation>
    </message>
    <message>
        <source>現在の時刻</source>
        <translation>Time now</translation>
    </message>
    <message>
        <source>ポート番号 : </source>
        <translation>Port : </translation>
    </message>
    <message>
        <source>マジックパケット送信回数 = </source>
        <translation>Magic packets sent = </translation>
    </message>
    <message>
        <source>PC%1 起動</source>
        <translation>Wake PC%1</translation>
    </message>
    <message>
        <source>設 定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>終 了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ﾒﾆｭｰ&amp;M</source>
        <translation>&amp;Menu</translation>
    </message>
    <message>
        <source>ﾒｲﾝ表示(&amp;M)</source>
        <translation>&amp;Main window</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>PC%1起動</source>
        <translation>Wake PC%1</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ&amp;H</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>%1 起動</source>
        <translation>Wake %1</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>PC を探す</source>
        <translation>Find PCs</translation>
    </message>
    <message>
        <source>入れる先(&amp;P)</source>
        <translation>Into &amp;PC</translation>
    </message>
    <message>
        <source>置き換える PC を選んでください</source>
        <translation>Choose the PC to replace</translation>
    </message>
    <message>
        <source>入れる(&amp;I)</source>
        <translation>&amp;Insert</translation>
    </message>
    <message>
        <source>もう一度探す(&amp;R)</source>
        <translation>&amp;Rescan</translation>
    </message>
    <message>
        <source>このネットワークの機器を探しています…</source>
        <translation>Looking for machines on this network…</translation>
    </message>
    <message>
        <source>
調べた範囲: </source>
        <translation>
Searched: </translation>
    </message>
    <message>
        <source>このネットワークの機器を探しています… %1 台</source>
        <translation>Looking for machines on this network… %1 found</translation>
    </message>
    <message>
        <source>見つかった機器：%1 台。選んで「入れる」を押すと設定に入ります。</source>
        <translation>Machines found: %1. Choose one and press &quot;Insert&quot; to put it into the settings.</translation>
    </message>
    <message>
        <source>機器は見つかりませんでした。電源が切れているかスリープ中の PC は応答せず、ルーターの向こうの機器はこのネットワークにいないため、見つかりません。MAC アドレスを入力するか、PC の電源が入っているときに探してください。</source>
        <translation>No machines were found. A PC that is off or asleep does not answer, and machines beyond a router are not on this network. Type the MAC address, or search while the PC is on.</translation>
    </message>
    <message>
        <source>PC%1（新しいアドレス）</source>
        <translation>PC%1 (new address)</translation>
    </message>
    <message>
        <source>PC%1 のホスト欄は「%2」ですが、この MAC アドレスは %3 で応答しています。選んで「入れる」を押すとホスト欄を更新します。</source>
        <translation>PC%1&apos;s host box says &quot;%2&quot;, but this MAC address answers at %3. Choose it and press &quot;Insert&quot; to update the host box.</translation>
    </message>
    <message>
        <source>PC%1 に入れました。設定の「更新」で保存されます。</source>
        <translation>Put into PC%1. &quot;Update&quot; in the settings saves it.</translation>
    </message>
    <message>
        <source>アドレス</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>MACアドレス</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>メーカー</source>
        <translation>Maker</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>In settings</translation>
    </message>
    <message>
        <source>このシェルは POSIX のものではないため、値を引用符なしで入れます（{raw:mac} など）。値は確かめた文字（16進数と「:」、数字、ホスト名の文字）だけです。</source>
        <translation>This shell is not POSIX, so values go in unquoted ({raw:mac} and so on). They hold only checked characters (hex digits and &quot;:&quot;, digits, host name characters).</translation>
    </message>
    <message>
        <source>PC%1 の詳細</source>
        <translation>PC%1 details</translation>
    </message>
    <message>
        <source>「%1」</source>
        <translation> &quot;%1&quot;</translation>
    </message>
    <message>
        <source>経由先 (ssh)</source>
        <translation>Relay (ssh)</translation>
    </message>
    <message>
        <source>user@host、host、~/.ssh/config の Host 名</source>
        <translation>user@host, host, a Host of ~/.ssh/config</translation>
    </message>
    <message>
        <source>ルーターの向こうの PC は、そのネットワークにある ssh で入れる機械から起動します。空なら、このコンピューターから直接送ります。</source>
        <translation>A PC beyond a router is woken from a machine on its network that you can reach with ssh. Empty: this computer sends directly.</translation>
    </message>
    <message>
        <source>経由先のコマンド</source>
        <translation>Relay command</translation>
    </message>
    <message>
        <source>空なら経由先の orvane-wake</source>
        <translation>Empty: the relay&apos;s orvane-wake</translation>
    </message>
    <message>
        <source>ひな形</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>選ぶと入ります</source>
        <translation>Choose one to fill in</translation>
    </message>
    <message>
        <source>{mac} {host} {port} {count} に、この PC の値が引用符つきで入ります。</source>
        <translation>{mac} {host} {port} {count} become this PC&apos;s values, quoted.</translation>
    </message>
    <message>
        <source>起動する曜日</source>
        <translation>Wake on</translation>
    </message>
    <message>
        <source>月</source>
        <translation>Mo</translation>
    </message>
    <message>
        <source>火</source>
        <translation>Tu</translation>
    </message>
    <message>
        <source>水</source>
        <translation>We</translation>
    </message>
    <message>
        <source>木</source>
        <translation>Th</translation>
    </message>
    <message>
        <source>金</source>
        <translation>Fr</translation>
    </message>
    <message>
        <source>土</source>
        <translation>Sa</translation>
    </message>
    <message>
        <source>日</source>
        <translation>Su</translation>
    </message>
    <message>
        <source>祝日（日本）は起動しない</source>
        <translation>Not on holidays (Japan)</translation>
    </message>
    <message>
        <source>休む日</source>
        <translation>Days off</translation>
    </message>
    <message>
        <source>次の起動（%1）を 1 回だけ休む</source>
        <translation>Skip the next wake (%1) once</translation>
    </message>
    <message>
        <source>次の起動を 1 回だけ休む</source>
        <translation>Skip the next wake once</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>起動する曜日がありません！</source>
        <translation>No day to wake on!</translation>
    </message>
    <message>
        <source>ブロードキャストアドレス</source>
        <translation>a broadcast address</translation>
    </message>
    <message>
        <source>すべて 0 のアドレス</source>
        <translation>an all-zero address</translation>
    </message>
    <message>
        <source>マルチキャストアドレス</source>
        <translation>a multicast address</translation>
    </message>
    <message>
        <source>ファイル書込に失敗しました！<byte value="xd"/>
%1：%2</source>
        <translation>Writing the file failed!<byte value="xd"/>
%1: %2</translation>
    </message>
    <message>
        <source>%1 は%2で、PC の MAC アドレスではありません。</source>
        <translation>%1 is %2, not the MAC address of a PC.</translation>
    </message>
    <message>
        <source>貼り付けた文字列は MAC アドレスとして読めません。00:11:22:33:44:55 の形で貼り付けてください。</source>
        <translation>The pasted text does not read as a MAC address. Paste it as 00:11:22:33:44:55.</translation>
    </message>
    <message>
        <source>MAC アドレスを貼り付けられませんでした！</source>
        <translation>The MAC address could not be pasted!</translation>
    </message>
    <message>
        <source>MAC アドレスが %1 欄しか入力されていません。6 欄すべてに入力してください。</source>
        <translation>Only %1 boxes of the MAC address are filled. Fill all 6.</translation>
    </message>
    <message>
        <source>MAC アドレスの各欄には 16 進数 2 桁（00～FF）を入力してください。</source>
        <translation>Each box of the MAC address takes 2 hex digits (00-FF).</translation>
    </message>
    <message>
        <source>%1で、PC の MAC アドレスではありません。</source>
        <translation>This is %1, not the MAC address of a PC.</translation>
    </message>
    <message>
        <source>%1 を、見つかった機器（%2）で置き換えますか？<byte value="xd"/>
名前も置き換わります。</source>
        <translation>Replace %1 with the machine found (%2)?<byte value="xd"/>
The name is replaced too.</translation>
    </message>
    <message>
        <source>時刻として読めないため、この時刻にタイマーで起動することはありません。hh:mm:ss の形で入力してください。</source>
        <translation>This does not read as a time, so the timer will never wake the PC at it. Type it as hh:mm:ss.</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ポート番号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>マジックパケット送信回数</source>
        <translation>Magic packets to send</translation>
    </message>
    <message>
        <source>更新(&amp;U)</source>
        <translation>&amp;Update</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>探す(&amp;F)…</source>
        <translation>&amp;Find…</translation>
    </message>
    <message>
        <source>このネットワークの PC を探して、MAC アドレスとホストを入れます</source>
        <translation>Finds the PCs on this network and fills in MAC address and host</translation>
    </message>
    <message>
        <source>PC名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Host or IPアドレス</source>
        <translation>Host or IP address</translation>
    </message>
    <message>
        <source>ﾀｲﾏｰON/時間(hh:mm:ss)</source>
        <translation>Timer/time (hh:mm:ss)</translation>
    </message>
    <message>
        <source>PC%1 の詳細: 経由先 (ssh)</source>
        <translation>PC%1 details: relay (ssh)</translation>
    </message>
    <message>
        <source>%1 を起動しました！</source>
        <translation>%1 woken!</translation>
    </message>
    <message>
        <source>%1
パスが存在しません。
パスが正しいかどうか確認してください。</source>
        <translation>%1
The path does not exist.
Check that the path is right.</translation>
    </message>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open a file</translation>
    </message>
    <message>
        <source>ファイルを保存する</source>
        <translation>Save a file</translation>
    </message>
    <message>
        <source>プロシージャの呼び出し、または引数が不正です。</source>
        <translation>Invalid procedure call or argument.</translation>
    </message>
    <message>
        <source>%1が見つからないか、拡張子に<byte value="xd"/>関連付けられたアプリケーションが有りません！</source>
        <translation>%1 was not found, or no application is<byte value="xd"/>associated with its extension!</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>再試行</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>エラー番号%1 %2<byte value="xd"/>
<byte value="xd"/>
プロシージャ名 = [%3]</source>
        <translation>Error number %1 %2<byte value="xd"/>
<byte value="xd"/>
Procedure name = [%3]</translation>
    </message>
    <message>
        <source>予期せぬエラー</source>
        <translation>Unexpected error</translation>
    </message>
    <message>
        <source>オーバーフローしました。</source>
        <translation>Overflow.</translation>
    </message>
    <message>
        <source>Help File = %1 を開けませんでした！</source>
        <translation>Help File = %1 could not be opened!</translation>
    </message>
    <message>
        <source>変換するデータが異常です！</source>
        <translation>The data to convert is invalid!</translation>
    </message>
    <message>
        <source>数値が異常です！</source>
        <translation>The number is invalid!</translation>
    </message>
    <message>
        <source>Orvane ヘルプ</source>
        <translation>Orvane Help</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>索引</source>
        <translation>Index</translation>
    </message>
</context>
</TS>
