{ The clock routines agree with each other; Random stays in its range; Sleep waits. }
program Clock;
var
  n, t: TDateTime;
  i, r: Integer;
  inRange: Boolean;
begin
  n := Now;
  ShowMessage(BoolToStr(Date <= n, True) + ' ' + BoolToStr(Frac(Date) = 0, True) + ' ' + BoolToStr(Time < 1, True));
  inRange := True;
  for i := 1 to 1000 do
  begin
    r := Random(6);
    if (r < 0) or (r > 5) then inRange := False;
    if (Random < 0) or (Random >= 1) then inRange := False;
  end;
  ShowMessage(BoolToStr(inRange, True));
  Randomize;
  t := Now;
  Sleep(20);
  ShowMessage(BoolToStr(Now > t, True));
  ShowMessage(IntToStr(Length(DateToStr(n))) + ' ' + IntToStr(Length(TimeToStr(n))));
end.
=== output delphi: dates print as ISO 8601 (yyyy-mm-dd) whatever the locale
True True True
True
True
10 8
