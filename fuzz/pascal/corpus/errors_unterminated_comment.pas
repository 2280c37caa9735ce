{ An unterminated comment is reported at its opening brace. }
begin
  ShowMessage('x'); { the rest is swallowed
  ShowMessage('y');
end.
