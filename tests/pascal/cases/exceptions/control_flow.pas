{ Exceptions and jumps combined: raise inside finally and handlers, exceptions crossing routine calls with managed locals, Exit and Break inside
  handlers, and handlers that catch nothing. }
program ControlFlow;
var
  log: string;

procedure Step(const s: string);
begin
  log := log + s + ' ';
end;

function Deep(n: Integer): string;
var
  local: string;
begin
  local := 'level' + IntToStr(n);
  if n = 0 then
    raise EConvertError.Create('bottom');
  try
    Result := Deep(n - 1);
  finally
    Step('unwind' + IntToStr(n));
  end;
end;

function FirstFailing: Integer;
var i: Integer;
begin
  Result := -1;
  for i := 1 to 10 do
    try
      if i = 3 then raise Exception.Create('three');
    except
      Result := i;
      Exit;
    end;
end;

var
  i: Integer;
begin
  log := '';
  try
    Deep(2);
  except
    on E: EConvertError do Step('caught ' + E.Message);
  end;
  ShowMessage(log);
  log := '';
  try
    try
      raise Exception.Create('first');
    finally
      Step('finally');
    end;
  except
    on E: Exception do Step(E.Message);
  end;
  ShowMessage(log);
  log := '';
  try
    try
      raise Exception.Create('inner');
    except
      on E: Exception do
        raise Exception.Create('replaced ' + E.Message);
    end;
  except
    on E: Exception do Step(E.Message);
  end;
  ShowMessage(log);
  ShowMessage(IntToStr(FirstFailing));
  log := '';
  for i := 1 to 5 do
  begin
    try
      if i = 2 then raise Exception.Create('two');
      Step(IntToStr(i));
    except
      on E: EConvertError do Step('never');
      on E: Exception do
        if i = 2 then
        begin
          Step('break');
          Break;
        end;
    end;
  end;
  ShowMessage(log);
  log := '';
  try
    try
      raise EConvertError.Create('typed');
    except
      on E: EDivByZero do Step('wrong handler');
    end;
  except
    on E: Exception do Step('passed on: ' + E.ClassName);
  end;
  ShowMessage(log);
end.
=== output
unwind1 unwind2 caught bottom 
finally first 
replaced inner 
3
1 break 
passed on: EConvertError 
