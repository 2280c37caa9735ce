{ Values changed while other code still uses them: an array resized during a call that has an element
  as var parameter, a global string changed by a function called in the same expression, a with
  statement on an element of an array that is cleared. The engine keeps what is in use alive. }
program Aliasing;
type
  TRec = record
    Name: string;
    Count: Integer;
  end;
var
  a: array of Integer;
  recs: array of TRec;
  g: string;
  words: array of string;

procedure Grow(var x: Integer);
begin
  SetLength(a, 1000);
  x := 5;
end;

function Change: string;
begin
  g := 'changed';
  Result := '!';
end;

function Index: Integer;
begin
  SetLength(a, 0);
  Result := 0;
end;

procedure Show(const list: array of string);
begin
  SetLength(words, 0);
  ShowMessage(IntToStr(Length(list)) + ' ' + list[1]);
end;

begin
  SetLength(a, 1);
  Grow(a[0]);
  ShowMessage(IntToStr(Length(a)) + ' ' + IntToStr(a[0]));
  g := 'original';
  ShowMessage(g + Change);
  ShowMessage(IntToStr(Pos('ang', g)) + ' ' + g);
  SetLength(recs, 2);
  recs[1].Name := 'second';
  with recs[1] do
  begin
    SetLength(recs, 0);
    Count := 3;
    ShowMessage(Name + ' ' + IntToStr(Count) + ' ' + IntToStr(Length(recs)));
  end;
  SetLength(words, 2);
  words[1] := 'kept';
  Show(words);
  SetLength(a, 3);
  try
    a[Index] := 1;
  except
    on E: ERangeError do ShowMessage('index after resize: ' + E.Message);
  end;
end.
=== output delphi: Delphi leaves these cases undefined; the engine keeps the values in use alive
1000 0
original!
3 changed
second 3 0
2 kept
index after resize: Array index 0 out of range 0..-1
