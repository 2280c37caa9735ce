# The test build runs everything under AddressSanitizer and UndefinedBehaviorSanitizer.
if(SHUTTERHAND_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(SHUTTERHAND_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Debug")
    # Some optimisation keeps the sanitized tests quick without hiding what the sanitizers see.
    add_compile_options(-O1)
endif()
