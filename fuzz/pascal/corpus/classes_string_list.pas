{ TStringList: adding, inserting, deleting, indexing, Text, CommaText, DelimitedText, Values, Names,
  sorting and IndexOf. }
program StringListCase;
var
  l: TStringList;
  i: Integer;
begin
  l := TStringList.Create;
  try
    l.Add('banana');
    l.Add('apple');
    i := l.Add('cherry');
    ShowMessage(IntToStr(i) + ' ' + IntToStr(l.Count) + ' ' + l[1] + ' ' + l.Strings[2]);
    l.Insert(0, 'date');
    l.Delete(1);
    ShowMessage(l.CommaText);
    ShowMessage(IntToStr(l.IndexOf('APPLE')) + ' ' + IntToStr(l.IndexOf('fig')));
    l.Sort;
    ShowMessage(l.CommaText);
    l[0] := 'avocado';
    ShowMessage(l.Text);
    l.Clear;
    l.Add('a b');
    l.Add('c,d');
    l.Add('');
    l.Add('plain');
    ShowMessage(l.CommaText);
    l.Delimiter := ';';
    ShowMessage(l.DelimitedText);
    l.DelimitedText := 'x y;"q r";z';
    ShowMessage(IntToStr(l.Count) + ' ' + l[2]);
    l.StrictDelimiter := True;
    l.DelimitedText := 'x y;"q r";z';
    ShowMessage(IntToStr(l.Count) + ' ' + l[0]);
    l.Clear;
    l.Add('name=Anna');
    l.Add('age=30');
    ShowMessage(l.Values['NAME'] + ' ' + l.Names[1] + ' ' + l.Values['missing'] + '.');
    l.Values['city'] := 'Berlin';
    l.Values['age'] := '31';
    ShowMessage(l.CommaText);
    l.Text := 'one' + #10 + 'two' + #13#10 + 'three';
    ShowMessage(IntToStr(l.Count) + ' ' + l[2]);
    l.Clear;
    l.Sorted := True;
    l.Add('b');
    l.Add('a');
    l.Add('c');
    l.Add('a');
    ShowMessage(l.CommaText + ' ' + IntToStr(l.IndexOf('c')));
  finally
    l.Free;
  end;
end.
