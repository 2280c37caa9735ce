{ Array and string indexes out of range are run-time errors, and can be caught. }
program IndexOutOfRange;
var
  a: array[1..3] of Integer;
  d: array of Integer;
  s: string;
  i: Integer;
begin
  i := 4;
  try
    a[i] := 1;
  except
    on E: ERangeError do ShowMessage('static: ' + E.Message);
  end;
  SetLength(d, 2);
  try
    d[i] := 1;
  except
    on E: ERangeError do ShowMessage('dynamic: ' + E.Message);
  end;
  s := 'abc';
  try
    ShowMessage(s[i]);
  except
    on E: Exception do ShowMessage(E.ClassName + ': ' + E.Message);
  end;
  i := 0;
  s[i] := 'x';
end.
