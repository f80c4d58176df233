# Hardening: a position-independent executable with full RELRO, a stack
# protector and a non-executable stack. FORTIFY_SOURCE needs the optimiser
# and routes string and memory calls around AddressSanitizer's checks, so
# it goes into optimised builds without the sanitizers only.
option(BRISORA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,relro,-z,now LINKER:-z,noexecstack)
if(BRISORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
else()
  add_compile_options($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE>
                      $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=3>)
endif()
