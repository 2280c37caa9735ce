{ try..except with typed handlers, bare except, re-raise, try..finally with Exit and Break, and
  exceptions raised by the engine (division by zero, conversion errors). }
program TryBlocks;
var
  i, zero: Integer;
  log: string;

procedure Risky(n: Integer);
begin
  if n = 1 then raise Exception.Create('plain');
  if n = 2 then raise EConvertError.Create('convert');
end;

function WithFinally: string;
begin
  Result := 'start';
  try
    Result := 'body';
    Exit;
  finally
    log := log + 'finally ran;';
  end;
  Result := 'unreachable';
end;

procedure Nested;
begin
  try
    try
      Risky(2);
    except
      on E: EConvertError do
      begin
        log := log + 'inner ' + E.Message + ';';
        raise;
      end;
    end;
  except
    on E: Exception do
      log := log + 'outer ' + E.ClassName + ';';
  end;
end;

begin
  log := '';
  for i := 0 to 2 do
    try
      Risky(i);
      log := log + 'ok;';
    except
      on E: EConvertError do log := log + 'convert:' + E.Message + ';';
      on E: Exception do log := log + 'general:' + E.Message + ';';
    end;
  ShowMessage(log);
  log := '';
  ShowMessage(WithFinally + ' ' + log);
  log := '';
  Nested;
  ShowMessage(log);
  zero := 0;
  try
    i := 10 div zero;
  except
    on E: EDivByZero do ShowMessage('caught: ' + E.Message);
  end;
  try
    i := StrToInt('12x');
  except
    ShowMessage('bare except');
  end;
  log := '';
  for i := 1 to 3 do
  begin
    try
      if i = 2 then Break;
      log := log + IntToStr(i);
    finally
      log := log + 'f';
    end;
  end;
  ShowMessage(log);
  try
    try
      raise Exception.Create('through finally');
    finally
      ShowMessage('cleanup');
    end;
  except
    on E: Exception do ShowMessage(E.Message);
  end;
end.
