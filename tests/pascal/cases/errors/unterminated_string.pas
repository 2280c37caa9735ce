{ An unterminated string is reported at its opening quote. }
begin
  ShowMessage('never closed);
  ShowMessage('next');
end.
=== messages
[Error] (3:15): Unterminated string
[Error] (4:3): ')' expected but identifier 'ShowMessage' found
