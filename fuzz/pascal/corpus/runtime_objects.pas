{ Using a nil or freed object, and invalid class casts, are run-time errors; is and as check the class. }
program Objects;
var
  o: TObject;
  l: TStringList;
begin
  l := TStringList.Create;
  o := l;
  if o is TStringList then ShowMessage('is TStringList');
  if not (o is Exception) then ShowMessage('is not Exception');
  ShowMessage(IntToStr((o as TStringList).Count));
  ShowMessage(TStringList(o).ClassName);
  try
    ShowMessage(Exception(o).Message);
  except
    on E: EInvalidCast do ShowMessage('cast: ' + E.Message);
  end;
  l.Free;
  try
    l.Add('x');
  except
    on E: Exception do ShowMessage('freed: ' + E.Message);
  end;
  l := nil;
  l.Free;
  ShowMessage(IntToStr(Ord(Assigned(l))));
  l.Add('y');
end.
