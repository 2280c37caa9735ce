{ CopyFile as Windows has it: the third parameter refuses to overwrite an existing file. }
program CopyFileCase;
var
  l: TStringList;
begin
  l := TStringList.Create;
  l.Add('content');
  l.SaveToFile('a.txt');
  l.Free;
  ShowMessage(BoolToStr(CopyFile('a.txt', 'b.txt', True), True));
  ShowMessage(BoolToStr(CopyFile('a.txt', 'b.txt', True), True));
  ShowMessage(BoolToStr(CopyFile('a.txt', 'b.txt', False), True));
  ShowMessage(BoolToStr(CopyFile('missing.txt', 'c.txt', False), True));
  ShowMessage(BoolToStr(FileExists('b.txt'), True) + ' ' + BoolToStr(FileExists('c.txt'), True));
end.
=== output delphi: CopyFile is a Windows routine that Free Pascal's units do not have
True
False
True
False
True False
