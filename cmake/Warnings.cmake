# Warnings for our own targets: call shutterhand_warnings(<target>) on every target we compile.
function(shutterhand_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
