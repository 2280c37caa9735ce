{ File routines on Linux paths, relative to the current folder: folders, string lists saved and
  loaded, renaming and deleting. }
program FileRoutines;
var
  l: TStringList;
  ok: Boolean;
begin
  ok := ForceDirectories('out/sub/deeper');
  ShowMessage(BoolToStr(ok, True) + ' ' + BoolToStr(DirectoryExists('out/sub'), True) + ' ' + BoolToStr(DirectoryExists('nothing'), True));
  l := TStringList.Create;
  try
    l.Add('first line');
    l.Add('zweite Zeile');
    l.SaveToFile('out/sub/list.txt');
    ShowMessage(BoolToStr(FileExists('out/sub/list.txt'), True) + ' ' + BoolToStr(FileExists('out/sub'), True));
    l.Clear;
    l.LoadFromFile('out/sub/list.txt');
    ShowMessage(IntToStr(l.Count) + ' ' + l[1]);
  finally
    l.Free;
  end;
  ShowMessage(BoolToStr(RenameFile('out/sub/list.txt', 'out/moved.txt'), True) + ' ' + BoolToStr(FileExists('out/moved.txt'), True));
  ShowMessage(BoolToStr(RenameFile('out/missing.txt', 'out/other.txt'), True));
  ShowMessage(BoolToStr(DeleteFile('out/moved.txt'), True) + ' ' + BoolToStr(FileExists('out/moved.txt'), True) + ' ' + BoolToStr(DeleteFile('out/moved.txt'), True));
  ShowMessage('[' + GetEnvironmentVariable('SHUTTERHAND_SURELY_UNSET_VARIABLE') + ']');
  l := TStringList.Create;
  try
    l.LoadFromFile('no/such/file.txt');
  except
    on E: EFOpenError do ShowMessage('load failed');
  end;
  l.Free;
end.
=== output
True True False
True False
2 zweite Zeile
True True
False
True False False
[]
load failed
