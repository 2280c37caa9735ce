{ String operations: concatenation, indexing, Length, Copy, Pos, Delete, Insert, SetLength. }
program StringBasics;
var
  s, t: string;
  i: Integer;
begin
  s := 'Hello';
  t := s + ', ' + 'World';
  ShowMessage(t);
  ShowMessage(IntToStr(Length(t)));
  ShowMessage(t[1] + t[Length(t)]);
  s[1] := 'J';
  ShowMessage(s + ' ' + t);
  ShowMessage(Copy(t, 8, 5) + '|' + Copy(t, 8, 100) + '|' + Copy(t, 100, 2) + '|');
  ShowMessage(IntToStr(Pos('World', t)) + ' ' + IntToStr(Pos('xyz', t)));
  Delete(t, 1, 7);
  ShowMessage(t);
  Insert('Big ', t, 1);
  ShowMessage(t);
  SetLength(t, 3);
  ShowMessage(t);
  s := '';
  for i := 1 to 5 do
    s := s + Chr(Ord('a') + i - 1);
  ShowMessage(s);
  t := s;
  t[1] := 'Z';
  ShowMessage(s + ' ' + t);
  ShowMessage('It''s' + #9 + 'tab');
  ShowMessage(UpperCase('MiXeD') + LowerCase('MiXeD'));
  ShowMessage('[' + Trim('  x  ') + '][' + TrimLeft('  x  ') + '][' + TrimRight('  x  ') + ']');
  ShowMessage(StringReplace('a-b-c', '-', '+', [rfReplaceAll]) + ' ' + StringReplace('a-b-c', '-', '+', []));
  ShowMessage(StringReplace('ABC abc', 'b', 'x', [rfReplaceAll, rfIgnoreCase]));
  ShowMessage(IntToStr(Length('')) + IntToStr(Ord('a' < 'b')));
end.
