{ Break, Continue and Exit through try..finally and try..except blocks, loop variables of other scopes,
  and downto loops over characters and enumerations. }
program LoopsAndJumps;
type
  TDay = (Mon, Tue, Wed, Thu, Fri);
var
  log: string;
  i: Integer;
  c: Char;
  d: TDay;
  count: Integer;

procedure CountGlobal;
begin
  count := 0;
  for i := 1 to 4 do
    Inc(count, i);
end;

function Search(target: Integer): string;
var k, j: Integer;
begin
  Result := 'none';
  for k := 1 to 5 do
    for j := 1 to 5 do
      try
        if k * j = target then
        begin
          Result := IntToStr(k) + 'x' + IntToStr(j);
          Exit;
        end;
      finally
        log := log + '.';
      end;
end;

begin
  log := '';
  ShowMessage(Search(6) + ' ' + log);
  log := '';
  for i := 1 to 5 do
  begin
    try
      if i = 2 then Continue;
      if i = 4 then Break;
      log := log + IntToStr(i);
    except
      log := log + 'never';
    end;
  end;
  ShowMessage(log);
  log := '';
  i := 0;
  while True do
  begin
    Inc(i);
    try
      try
        if i = 3 then raise Exception.Create('three');
        if i > 4 then Break;
      finally
        log := log + 'f' + IntToStr(i);
      end;
    except
      on E: Exception do
      begin
        log := log + '!';
        Continue;
      end;
    end;
  end;
  ShowMessage(log);
  log := '';
  for c := 'e' downto 'a' do
    log := log + c;
  for d := High(TDay) downto Tue do
    log := log + IntToStr(Ord(d));
  ShowMessage(log);
  CountGlobal;
  ShowMessage(IntToStr(count) + ' ' + IntToStr(i));
end.
=== output
2x3 ........
13
f1f2f3!f4f5
edcba4321
10 4
