{ AnsiUpperCase and AnsiLowerCase know the letters of UTF-8 text; UpperCase and LowerCase only ASCII. }
program Utf8Case;
begin
  ShowMessage(AnsiUpperCase('straße über') + ' ' + AnsiLowerCase('ÄÖÜ ÉCOLE'));
  ShowMessage(UpperCase('äbc') + ' ' + LowerCase('ÄBC'));
  ShowMessage(AnsiUpperCase('привет') + ' ' + AnsiLowerCase('ΑΒΓ'));
end.
