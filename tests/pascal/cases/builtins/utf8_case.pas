{ AnsiUpperCase and AnsiLowerCase know the letters of UTF-8 text; UpperCase and LowerCase only ASCII. }
program Utf8Case;
begin
  ShowMessage(AnsiUpperCase('straße über') + ' ' + AnsiLowerCase('ÄÖÜ ÉCOLE'));
  ShowMessage(UpperCase('äbc') + ' ' + LowerCase('ÄBC'));
  ShowMessage(AnsiUpperCase('привет') + ' ' + AnsiLowerCase('ΑΒΓ'));
end.
=== output delphi: texts are UTF-8 here; Free Pascal's ANSI routines work on single bytes
STRAßE ÜBER äöü école
äBC Äbc
ПРИВЕТ αβγ
