{ An exception raised by the script and not caught ends the run with "Exception: " and its message. }
program UncaughtException;
procedure Check(n: Integer);
begin
  if n > 2 then
    raise Exception.Create('value too large: ' + IntToStr(n));
end;
var
  i: Integer;
begin
  for i := 1 to 5 do
  begin
    Check(i);
    ShowMessage(IntToStr(i));
  end;
end.
=== output
1
2
=== error
Exception: value too large: 3
