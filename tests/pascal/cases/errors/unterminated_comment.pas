{ An unterminated comment is reported at its opening brace. }
begin
  ShowMessage('x'); { the rest is swallowed
  ShowMessage('y');
end.
=== messages
[Error] (3:21): Unterminated comment
[Error] (6:1): 'end' expected but end of file found
