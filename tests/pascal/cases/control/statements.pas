{ if, case (ordinal and string selectors, ranges, lists, else), loops, break and continue. }
program ControlStatements;
var
  i, j, n: Integer;
  s: string;
begin
  for i := 1 to 12 do
    case i of
      1: s := 'one';
      2, 3: s := 'two or three';
      4..6: s := 'four to six';
    else
      if i mod 2 = 0 then s := 'even' else s := 'odd';
    end;
  ShowMessage(s);
  n := 0;
  for i := 10 downto 1 do
  begin
    if i = 3 then Break;
    if i mod 2 = 0 then Continue;
    n := n + i;
  end;
  ShowMessage(IntToStr(n));
  i := 0;
  while i < 100 do
  begin
    Inc(i, 7);
    if i > 50 then Break;
  end;
  ShowMessage(IntToStr(i));
  i := 0;
  repeat
    Inc(i);
    if i = 2 then Continue;
  until i >= 5;
  ShowMessage(IntToStr(i));
  n := 0;
  for i := 1 to 3 do
    for j := 1 to 3 do
    begin
      if j > i then Break;
      Inc(n);
    end;
  ShowMessage(IntToStr(n));
  for i := 5 to 1 do ShowMessage('never');
  if n > 0 then
    if n > 100 then ShowMessage('big') else ShowMessage('dangling else binds inner');
end.
=== output
even
21
56
5
6
dangling else binds inner
