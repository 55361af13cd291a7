<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Rykのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Ryk</translation>
    </message>
    <message>
        <source>プログラムのアイコン</source>
        <translation>Program icon</translation>
    </message>
    <message>
        <source>ホームページ(&amp;H)</source>
        <translation>&amp;Home page</translation>
    </message>
    <message>
        <source>ホームページを開く</source>
        <translation>Open the home page</translation>
    </message>
    <message>
        <source>実行ファイル名</source>
        <translation>Executable name</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AttributeChange</name>
    <message>
        <source>日付が書き込めません? : %1/%2/%3 %4:%5:%6</source>
        <translation>Cannot write the date? : %1/%2/%3 %4:%5:%6</translation>
    </message>
</context>
<context>
    <name>AttributeWindow</name>
    <message>
        <source>属性変更</source>
        <translation>Change attributes</translation>
    </message>
    <message>
        <source>&amp;Read Only (読み取り専用)</source>
        <translation>&amp;Read Only</translation>
    </message>
    <message>
        <source>&amp;Hidden (隠しファイル)</source>
        <translation>&amp;Hidden</translation>
    </message>
    <message>
        <source>&amp;System (システム)</source>
        <translation>&amp;System</translation>
    </message>
    <message>
        <source>&amp;Archive (アーカイブ)</source>
        <translation>&amp;Archive</translation>
    </message>
    <message>
        <source>&amp;Date(日付指定)</source>
        <translation>&amp;Date</translation>
    </message>
    <message>
        <source>yyyy/MM/dd</source>
        <translation>yyyy/MM/dd</translation>
    </message>
    <message>
        <source>&amp;Time(時刻指定)</source>
        <translation>&amp;Time</translation>
    </message>
    <message>
        <source>HH:mm:ss</source>
        <translation>HH:mm:ss</translation>
    </message>
    <message>
        <source>対象</source>
        <translation>Apply to</translation>
    </message>
    <message>
        <source>元ファイル</source>
        <translation>Source files</translation>
    </message>
    <message>
        <source>先ファイル</source>
        <translation>Destination files</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 個属性を変更しました</source>
        <translation>Attributes of %1 changed</translation>
    </message>
    <message>
        <source>選択アイテムの属性を変更中...</source>
        <translation>Changing the attributes of the selected items...</translation>
    </message>
    <message>
        <source>お待ちください...</source>
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>%1個のファイルが選択されています</source>
        <translation>%1 files selected</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>パラメータが長すぎます...</source>
        <translation>The parameter is too long...</translation>
    </message>
    <message>
        <source>応答モードでは応答ファイルを２つ以上指定できません。</source>
        <translation>Response mode takes only one response file.</translation>
    </message>
    <message>
        <source>更新モードでは -rm オプションは無効です</source>
        <translation>The -rm option is not valid in Update mode</translation>
    </message>
    <message>
        <source>検索モードでは -e -e0 -rm オプションは無効です。</source>
        <translation>The -e -e0 -rm options are not valid in Search mode.</translation>
    </message>
    <message>
        <source>検索モードでは -e -e0 オプションは無効です。</source>
        <translation>The -e -e0 options are not valid in Search mode.</translation>
    </message>
    <message>
        <source>検索/削除モードでは -x -u -u0 オプションは無効です。</source>
        <translation>The -x -u -u0 options are not valid in Search/Delete mode.</translation>
    </message>
    <message>
        <source>不明なオプションです: </source>
        <translation>Unknown option: </translation>
    </message>
    <message>
        <source>空のパスは指定できません。</source>
        <translation>An empty path is not allowed.</translation>
    </message>
    <message>
        <source>パスは転送元と転送先の２つまでです: </source>
        <translation>At most two paths, the source and the destination: </translation>
    </message>
    <message>
        <source>ワイルドカードを含むパスは引用符で囲んでください (例: &quot;src/*.c&quot;)。</source>
        <translation>Put paths with wildcards in quotes (e.g. &quot;src/*.c&quot;).</translation>
    </message>
    <message>
        <source>Usage:ryk [option] &lt;source&gt; [dest]

    &lt;source&gt;  転送元
    [dest]    転送先
              ワイルドカード指定可能。
              (ディレクトリの場合必ず最後に/をつける)
              (複数のワイルドカードを指定する場合;をつける)
              Ex. /mnt/a/*.c;*.h

    [option]は英文字は大小区別しません
    -s   検索モード
    -sd  削除モード
    -m   移動モード
    -@   応答モード
    -=   同期モード
         (上記5つのオプションを指定しないときは更新モードになる)
    -r   サブディレクトリ有効
    -rm  サブディレクトリ削除を有効にする
         (移動・削除モードでのみ有効)
    -e   サブディレクトリ有効(空のも含む)
    -e0  ディレクトリのみコピー
    -u   更新先にあるファイルのみ
    -u0  更新先にないファイルのみ
    -x   日付の比較をしない
    -w&lt;wild card&gt;
         除外ワイルドカード(ファイル名のみ)

    -?   ヘルプ表示
    -i   初期化ファイルRyk.INIにアクセスしない

    Rykmere を開きますか？
</source>
        <translation>Usage:ryk [option] &lt;source&gt; [dest]

    &lt;source&gt;  source
    [dest]    destination
              Wildcards allowed.
              (a directory always ends with /)
              (separate several wildcards with ;)
              Ex. /mnt/a/*.c;*.h

    [option] letters are not case-sensitive
    -s   Search mode
    -sd  Delete mode
    -m   Move mode
    -@   Response mode
    -=   Sync mode
         (without any of these five options: Update mode)
    -r   include subdirectories
    -rm  remove emptied subdirectories
         (Move and Delete mode only)
    -e   include subdirectories (empty ones too)
    -e0  copy directories only
    -u   only files present at the destination
    -u0  only files missing at the destination
    -x   do not compare dates
    -w&lt;wild card&gt;
         exclusion wildcards (file names only)

    -?   show this help
    -i   do not use the settings file Ryk.INI

    Open Rykmere?
</translation>
    </message>
    <message>
        <source>Command line の説明</source>
        <translation>Command line help</translation>
    </message>
    <message>
        <source>    ryk-cli だけのオプション (-- より前に書く)
    --run                 計画した一覧を実行する
    --create-destination  ない転送先のディレクトリを作る
    --explorer            コピー・移動・削除をまとめて行う (Explorer 形式)
    --skip-unchanged      大きさと更新日時が同じファイルは同期しない
                          (同期モードでのみ有効)
    --trash               削除するファイルと上書きされるファイルをごみ箱へ移す
    --verify              コピーしたファイルを読み直して元と比べる
    --hard-links          同じファイルの別名はハードリンクにする
                          (更新・同期モードでのみ有効)
    --json                一覧と結果を JSON Lines で出力する
    --help                ヘルプ表示
    --version             バージョン表示
</source>
        <translation>    Options of ryk-cli only (before --)
    --run                 carry out the planned list
    --create-destination  create a missing destination directory
    --explorer            copy, move and delete in one batch (Explorer style)
    --skip-unchanged      do not sync files of the same size and time
                          (Sync mode only)
    --trash               move deleted and replaced files to the trash
    --verify              read copied files back and compare them
    --hard-links          keep further names of one file as hard links
                          (Update and Sync modes only)
    --json                print the list and the outcomes as JSON Lines
    --help                show this help
    --version             show the version
</translation>
    </message>
</context>
<context>
    <name>CopyFile</name>
    <message>
        <source>日付が取得できません</source>
        <translation>Cannot read the date</translation>
    </message>
    <message>
        <source>日付が設定できません</source>
        <translation>Cannot set the date</translation>
    </message>
</context>
<context>
    <name>CopyProgressWindow</name>
    <message>
        <source>転送元：</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>転送先：</source>
        <translation>To:</translation>
    </message>
</context>
<context>
    <name>EditorPage</name>
    <message>
        <source>エディタ設定</source>
        <translation>Editors</translation>
    </message>
    <message>
        <source>バイナリエディタ</source>
        <translation>Binary editor</translation>
    </message>
    <message>
        <source>参照(&amp;B)</source>
        <translation>&amp;Browse</translation>
    </message>
    <message>
        <source>参照 (バイナリエディタを選ぶ)</source>
        <translation>Browse (choose the binary editor)</translation>
    </message>
    <message>
        <source>テキストエディタ</source>
        <translation>Text editor</translation>
    </message>
    <message>
        <source>参照(&amp;T)</source>
        <translation>Brow&amp;se</translation>
    </message>
    <message>
        <source>参照 (テキストエディタを選ぶ)</source>
        <translation>Browse (choose the text editor)</translation>
    </message>
    <message>
        <source>比較用プログラム</source>
        <translation>Comparison program</translation>
    </message>
    <message>
        <source>参照(&amp;W)</source>
        <translation>Bro&amp;wse</translation>
    </message>
    <message>
        <source>参照 (比較用プログラムを選ぶ)</source>
        <translation>Browse (choose the comparison program)</translation>
    </message>
    <message>
        <source>実行ファイル (*)</source>
        <translation>Programs (*)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>バイナリエディタの設定</source>
        <translation>Binary editor</translation>
    </message>
    <message>
        <source>テキストエディタの設定</source>
        <translation>Text editor</translation>
    </message>
    <message>
        <source>比較用プログラムの設定</source>
        <translation>Comparison program</translation>
    </message>
</context>
<context>
    <name>ExternalTools</name>
    <message>
        <source>プログラムが設定されていません</source>
        <translation>No program is set</translation>
    </message>
    <message>
        <source>「%1」を起動できませんでした。
</source>
        <translation>Could not start “%1”.
</translation>
    </message>
</context>
<context>
    <name>FileCompare</name>
    <message>
        <source>一致しています</source>
        <translation>The files are the same</translation>
    </message>
    <message>
        <source>%1行 (offset=%2)で違いがありました</source>
        <translation>They differ at line %1 (offset=%2)</translation>
    </message>
    <message>
        <source>ファイルが開けません</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>メモリが確保できません</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>更新元読みこみエラー</source>
        <translation>Error reading the source</translation>
    </message>
    <message>
        <source>更新先読みこみエラー</source>
        <translation>Error reading the destination</translation>
    </message>
    <message>
        <source>比較を中断しました</source>
        <translation>Comparison stopped</translation>
    </message>
</context>
<context>
    <name>FileInfoWindow</name>
    <message>
        <source>ファイル情報</source>
        <translation>File information</translation>
    </message>
    <message>
        <source>更新元ファイル名</source>
        <translation>Source file</translation>
    </message>
    <message>
        <source>最終更新日</source>
        <translation>Last modified</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Attributes</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>更新先ファイル名</source>
        <translation>Destination file</translation>
    </message>
    <message>
        <source>比較...</source>
        <translation>Compare...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>FileUtility</name>
    <message>
        <source>エラーが発生:Code=%1
</source>
        <translation>An error occurred:Code=%1
</translation>
    </message>
    <message>
        <source>中断しますか?</source>
        <translation>Stop?</translation>
    </message>
</context>
<context>
    <name>FolderPicker</name>
    <message>
        <source>Rykmere - folder select</source>
        <translation>Rykmere - folder select</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Rykmere ヘルプ</source>
        <translation>Rykmere Help</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>進む</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>ヘルプのページ</source>
        <translation>Help page</translation>
    </message>
</context>
<context>
    <name>HistoryPage</name>
    <message>
        <source>履歴</source>
        <translation>History</translation>
    </message>
    <message>
        <source>履歴の種類</source>
        <translation>History</translation>
    </message>
    <message>
        <source>更新元のディレクトリ</source>
        <translation>Source directory</translation>
    </message>
    <message>
        <source>更新元のファイル名</source>
        <translation>Source file names</translation>
    </message>
    <message>
        <source>更新元の除外ファイル名</source>
        <translation>Source exclusions</translation>
    </message>
    <message>
        <source>更新先のディレクトリ</source>
        <translation>Destination directory</translation>
    </message>
    <message>
        <source>更新先のファイル名</source>
        <translation>Destination file name</translation>
    </message>
    <message>
        <source>リスト</source>
        <translation>List</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>全削除</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>選択クリア</source>
        <translation>Clear selection</translation>
    </message>
    <message>
        <source>選択した項目</source>
        <translation>Selected item</translation>
    </message>
</context>
<context>
    <name>ListText</name>
    <message>
        <source>%1 / %2 (Error=%3) 中止はESCキーを押してください...</source>
        <translation>%1 / %2 (Error=%3) Press ESC to stop...</translation>
    </message>
    <message>
        <source>完了しました.(Error=%1)</source>
        <translation>Finished.(Error=%1)</translation>
    </message>
    <message>
        <source>中断しました.(Error=%1, 未実行=%2)</source>
        <translation>Stopped.(Error=%1, not run=%2)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Rykmere</source>
        <translation>Rykmere</translation>
    </message>
    <message>
        <source>更新元のディレクトリ(&amp;S)</source>
        <translation>&amp;Source directory</translation>
    </message>
    <message>
        <source>Browse...(&amp;1)</source>
        <translation>Browse...(&amp;1)</translation>
    </message>
    <message>
        <source>ファイル名(&amp;W)		[ワイルドカード可]</source>
        <translation>File names (&amp;W)		[wildcards]</translation>
    </message>
    <message>
        <source>除外ファイル名(&amp;J)	[ワイルドカード可]</source>
        <translation>Exclude names (&amp;J)	[wildcards]</translation>
    </message>
    <message>
        <source>更新先のディレクトリ(&amp;D)</source>
        <translation>&amp;Destination directory</translation>
    </message>
    <message>
        <source>なかったら作成する(&amp;C)</source>
        <translation>&amp;Create if missing</translation>
    </message>
    <message>
        <source>Browse...(&amp;2)</source>
        <translation>Browse...(&amp;2)</translation>
    </message>
    <message>
        <source>更新先ファイル名(&amp;T)	[ワイルドカード可]</source>
        <translation>Destination name (&amp;T)	[wildcards]</translation>
    </message>
    <message>
        <source>モード(&amp;M)</source>
        <translation>&amp;Mode</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>実行(&amp;E)</source>
        <translation>&amp;Execute</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)...</source>
        <translation>&amp;Help...</translation>
    </message>
    <message>
        <source>Rykmere について(&amp;A)...</source>
        <translation>&amp;About Rykmere...</translation>
    </message>
    <message>
        <source>更新元のディレクトリを選ぶ</source>
        <translation>Choose the source directory</translation>
    </message>
    <message>
        <source>更新先のディレクトリを選ぶ</source>
        <translation>Choose the destination directory</translation>
    </message>
    <message>
        <source>Explorer 形式を指定していますが、格納先が絶対ﾊﾟｽではありません。
「はい」を押すとExplorer 形式を外します。
</source>
        <translation>Explorer style is on, but the destination is not an absolute path.
Press “Yes” to turn Explorer style off.
</translation>
    </message>
    <message>
        <source>対象元ディレクトリの選択</source>
        <translation>Select the source directory</translation>
    </message>
    <message>
        <source>対象先ディレクトリの選択</source>
        <translation>Select the destination directory</translation>
    </message>
</context>
<context>
    <name>OperationTableModel</name>
    <message>
        <source>先ファイル名</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>元ファイル名</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>エラーが発生</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>失敗</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>エラーが発生: </source>
        <translation>Error: </translation>
    </message>
    <message>
        <source>行動</source>
        <translation>Action</translation>
    </message>
</context>
<context>
    <name>OptionsSheet</name>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>履歴</source>
        <translation>History</translation>
    </message>
    <message>
        <source>エディタ設定</source>
        <translation>Editors</translation>
    </message>
</context>
<context>
    <name>QtBatchProgress</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ResponsePlanner</name>
    <message>
        <source>レスポンスファイルを開けません</source>
        <translation>Cannot open the response file</translation>
    </message>
</context>
<context>
    <name>ResultWindow</name>
    <message>
        <source>テスト結果</source>
        <translation>Test result</translation>
    </message>
    <message>
        <source>リストから削除</source>
        <translation>Remove from list</translation>
    </message>
    <message>
        <source>属性変更</source>
        <translation>Change attributes</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>実行</source>
        <translation>Execute</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>クリップボードにコピー</source>
        <translation>Copy to clipboard</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>リストに登録中...</source>
        <translation>Filling the list...</translation>
    </message>
    <message>
        <source>しばらくお待ちください</source>
        <translation>Please wait a moment</translation>
    </message>
    <message>
        <source>選択アイテムを削除中...</source>
        <translation>Removing the selected items...</translation>
    </message>
    <message>
        <source>お待ちください...</source>
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>選択アイテム残り %1</source>
        <translation>Selected items left: %1</translation>
    </message>
    <message>
        <source>リストから削除中...</source>
        <translation>Removing from the list...</translation>
    </message>
    <message>
        <source>残り %1</source>
        <translation>Left: %1</translation>
    </message>
    <message>
        <source>ポインタリストを削除中...</source>
        <translation>Clearing the list...</translation>
    </message>
    <message>
        <source>検索中...</source>
        <translation>Searching...</translation>
    </message>
    <message>
        <source>中断するときはESCキーを押してください</source>
        <translation>Press ESC to stop</translation>
    </message>
</context>
<context>
    <name>RowContextMenu</name>
    <message>
        <source>バイナリエディターを開きます</source>
        <translation>Opens the binary editor</translation>
    </message>
    <message>
        <source>テキストエディターを開きます</source>
        <translation>Opens the text editor</translation>
    </message>
    <message>
        <source>比較用プログラムを立ち上げます</source>
        <translation>Starts the comparison program</translation>
    </message>
    <message>
        <source>開く(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>ファイルの場所を開く(&amp;I)</source>
        <translation>Open conta&amp;ining folder</translation>
    </message>
    <message>
        <source>パスのコピー(&amp;A)</source>
        <translation>Copy p&amp;ath</translation>
    </message>
    <message>
        <source>「%1」を開けませんでした。</source>
        <translation>Could not open “%1”.</translation>
    </message>
</context>
<context>
    <name>RowTools</name>
    <message>
        <source>現在のリストをクリップボードにコピーしました。</source>
        <translation>The list was copied to the clipboard.</translation>
    </message>
</context>
<context>
    <name>RunProgress</name>
    <message>
        <source>%1/%2 件  %3/%4  %5%  %6  残り %7</source>
        <translation>%1/%2 items  %3/%4  %5%  %6  left %7</translation>
    </message>
</context>
<context>
    <name>SearchPage</name>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>サブディレクトリも検索する(&amp;S)</source>
        <translation>Search &amp;subdirectories too</translation>
    </message>
    <message>
        <source>空のディレクトリはコピーしない</source>
        <translation>Do not copy empty directories</translation>
    </message>
    <message>
        <source>空のディレクトリもコピーする</source>
        <translation>Copy empty directories too</translation>
    </message>
    <message>
        <source>ディレクトリの構成をコピーする</source>
        <translation>Copy the directory structure only</translation>
    </message>
    <message>
        <source>ディレクトリ削除コマンドを有効にする(&amp;R)</source>
        <translation>&amp;Remove emptied directories</translation>
    </message>
    <message>
        <source>Explorer 形式で実行(&amp;E)</source>
        <translation>Run in &amp;Explorer style</translation>
    </message>
    <message>
        <source>更新に条件を指定する(&amp;U)</source>
        <translation>Conditions for &amp;updating</translation>
    </message>
    <message>
        <source>日付に関係なく更新する</source>
        <translation>Update whatever the dates</translation>
    </message>
    <message>
        <source>更新先に存在しないファイルのみ</source>
        <translation>Only files missing at the destination</translation>
    </message>
    <message>
        <source>更新先に存在するファイルのみ</source>
        <translation>Only files present at the destination</translation>
    </message>
    <message>
        <source>以下の日付以降を更新する</source>
        <translation>Only files written after</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>yyyy/MM/dd</source>
        <translation>yyyy/MM/dd</translation>
    </message>
    <message>
        <source>時刻</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>HH:mm:ss</source>
        <translation>HH:mm:ss</translation>
    </message>
    <message>
        <source>変更のないファイルは同期しない(&amp;N)</source>
        <translation>Do &amp;not sync unchanged files</translation>
    </message>
    <message>
        <source>削除・上書きするファイルはごみ箱へ移す(&amp;T)</source>
        <translation>Move deleted and replaced files to the &amp;trash</translation>
    </message>
    <message>
        <source>コピーしたファイルを読み直して確かめる(&amp;V)</source>
        <translation>&amp;Verify copies by reading them back</translation>
    </message>
    <message>
        <source>同じファイルの別名はハードリンクにする(&amp;H)</source>
        <translation>Keep further names of one file as &amp;hard links</translation>
    </message>
    <message>
        <source>長い実行が終わったらデスクトップに通知する(&amp;L)</source>
        <translation>Notify the desktop when a &amp;long run ends</translation>
    </message>
</context>
<context>
    <name>SearchWindow</name>
    <message>
        <source>検索中...</source>
        <translation>Searching...</translation>
    </message>
    <message>
        <source>中断するにはESCキーを押下してください。</source>
        <translation>Press ESC to stop.</translation>
    </message>
</context>
<context>
    <name>TransferJob</name>
    <message>
        <source>同期モードでは転送先を指定してください。</source>
        <translation>Sync mode needs a destination.</translation>
    </message>
    <message>
        <source>同期モードでは転送元のディレクトリを指定してください。</source>
        <translation>Sync mode needs a source directory.</translation>
    </message>
    <message>
        <source>同期モードの転送先にワイルドカードは使えません: </source>
        <translation>The destination of Sync mode takes no wildcards: </translation>
    </message>
    <message>
        <source>転送先のディレクトリがありません: </source>
        <translation>The destination directory does not exist: </translation>
    </message>
    <message>
        <source>ファイルシステムのルート (/) は削除できません: </source>
        <translation>The file system root (/) cannot be deleted: </translation>
    </message>
    <message>
        <source>ファイルシステムのルート (/) からは移動できません: </source>
        <translation>Nothing can be moved from the file system root (/): </translation>
    </message>
    <message>
        <source>ファイルシステムのルート (/) には同期できません: </source>
        <translation>The file system root (/) cannot be synced to: </translation>
    </message>
</context>
<context>
    <name>TransferMode</name>
    <message>
        <source>更新モード</source>
        <translation>Update mode</translation>
    </message>
    <message>
        <source>移動モード</source>
        <translation>Move mode</translation>
    </message>
    <message>
        <source>検索モード</source>
        <translation>Search mode</translation>
    </message>
    <message>
        <source>削除モード</source>
        <translation>Delete mode</translation>
    </message>
    <message>
        <source>応答モード</source>
        <translation>Response mode</translation>
    </message>
    <message>
        <source>同期モード</source>
        <translation>Sync mode</translation>
    </message>
</context>
<context>
    <name>TreeScan</name>
    <message>
        <source>転送先が転送元の中にあります。</source>
        <translation>The destination is inside the source.</translation>
    </message>
    <message>
        <source>転送元が転送先の中にあります。</source>
        <translation>The source is inside the destination.</translation>
    </message>
</context>
<context>
    <name>ryk-cli</name>
    <message>
        <source>標準出力に書き込めません: </source>
        <translation>Cannot write to standard output: </translation>
    </message>
    <message>
        <source>詳しくは ryk-cli --help を見てください。
</source>
        <translation>See ryk-cli --help for details.
</translation>
    </message>
    <message>
        <source>中断しました
</source>
        <translation>Stopped
</translation>
    </message>
</context>
</TS>
