{ An unterminated string is reported at its opening quote. }
begin
  ShowMessage('never closed);
  ShowMessage('next');
end.
