{ Nested routines reach the variables and parameters of the routines around them, also two levels up
  and through var parameters; recursion of nested routines keeps each activation apart. }
program NestedScopes;
var
  total: Integer;

procedure Outer(var counter: Integer; const prefix: string);
var
  text: string;
  depth: Integer;

  procedure Middle(n: Integer);

    procedure Inner;
    begin
      text := text + prefix + IntToStr(n) + ';';
      Inc(counter);
      Inc(total, depth);
    end;

  begin
    Inner;
    if n > 1 then
      Middle(n - 1);
    Inner;
  end;

begin
  text := '';
  depth := 10;
  Middle(3);
  ShowMessage(text);
end;

function Fib(n: Integer): Integer;
  function Go(k: Integer): Integer;
  begin
    if k < 2 then Result := k else Result := Go(k - 1) + Go(k - 2);
  end;
begin
  Result := Go(n);
end;

var
  c: Integer;
begin
  c := 0;
  total := 0;
  Outer(c, 'n');
  ShowMessage(IntToStr(c) + ' ' + IntToStr(total));
  ShowMessage(IntToStr(Fib(15)));
end.
=== output
n3;n2;n1;n1;n2;n3;
6 60
610
