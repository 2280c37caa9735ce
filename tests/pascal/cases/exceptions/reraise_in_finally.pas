{ A re-raise in a finally block inside an exception handler raises the handled exception again
  (Free Pascal refuses to compile this; Delphi accepts it). }
program ReraiseInFinally;
var
  log: string;
begin
  log := '';
  try
    try
      raise Exception.Create('original');
    except
      on E: Exception do
        try
          log := log + 'handler ';
        finally
          raise;
        end;
    end;
  except
    on E: Exception do log := log + 'outer ' + E.Message;
  end;
  ShowMessage(log);
end.
=== output delphi: Free Pascal does not compile a re-raise in a finally block
handler outer original
