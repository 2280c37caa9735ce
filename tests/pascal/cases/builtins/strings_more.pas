{ More string routines: PosEx, CompareText, QuotedStr, StringOfChar, LeftStr, RightStr and paths. }
program StringsMore;
begin
  ShowMessage(IntToStr(PosEx('a', 'banana', 3)) + ' ' + IntToStr(PosEx('a', 'banana', 7)));
  ShowMessage(IntToStr(Ord(CompareText('abc', 'ABD') < 0)) + ' ' + BoolToStr(SameText('Hello', 'hELLO'), True));
  ShowMessage(QuotedStr('it''s'));
  ShowMessage(StringOfChar('*', 5) + LeftStr('abcdef', 2) + RightStr('abcdef', 2));
  ShowMessage(ExtractFileName('/home/user/pic.jpg') + ' ' + ExtractFilePath('/home/user/pic.jpg'));
  ShowMessage(ExtractFileExt('/home/user/pic.tar.gz') + ' ' + ChangeFileExt('/tmp/a.jpg', '.png'));
  ShowMessage(IncludeTrailingPathDelimiter('/tmp') + ' ' + IncludeTrailingPathDelimiter('/tmp/'));
  ShowMessage(ExtractFileExt('/a.b/noext') + '|' + ExtractFileName('noslash'));
end.
=== output
4 0
1 True
'it''s'
*****abef
pic.jpg /home/user/
.gz /tmp/a.png
/tmp/ /tmp/
|noslash
