{ with on objects and records, default properties, objects kept in arrays, FreeAndNil. }
program WithObjects;
type
  TPair = record
    Key, Value: string;
  end;
var
  list: TStringList;
  lists: array[1..2] of TStringList;
  p: TPair;
  i: Integer;
begin
  with TStringList.Create do
    try
      Add('one');
      Add('two');
      ShowMessage(IntToStr(Count) + ' ' + Strings[1] + ' ' + ClassName);
    finally
      Free;
    end;
  for i := 1 to 2 do
  begin
    lists[i] := TStringList.Create;
    lists[i].Add('list' + IntToStr(i));
  end;
  ShowMessage(lists[1][0] + lists[2].Strings[0]);
  list := lists[1];
  with list, p do
  begin
    Key := 'k';
    Value := Strings[0];
  end;
  ShowMessage(p.Key + '=' + p.Value);
  FreeAndNil(lists[1]);
  if lists[1] = nil then ShowMessage('freed and nil');
  lists[2].Free;
end.
=== output
2 two TStringList
list1list2
k=list1
freed and nil
