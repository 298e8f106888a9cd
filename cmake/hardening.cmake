# Debian's hardening, as dpkg-buildflags gives it to every package, for
# everything built here, the objects Qt generates included (the program
# listens on the network): a canary in every stack frame that holds an array,
# probes so that a large frame cannot step over the stack's guard page,
# landing pads for indirect branches, bounds checks in the libc calls whose
# buffer sizes the compiler knows, and a relocation table resolved at start
# and then made read-only. None of these touches floating-point code, so no
# picture changes. Included before any target that compiles, so each gets them.
add_compile_options(-fstack-protector-strong -fstack-clash-protection)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|amd64|i[3-6]86|x86")
  # Only when every object has it does the program get the mark that turns
  # the protection on, so it is not left to a target's own options.
  add_compile_options(-fcf-protection)
endif()
add_link_options(LINKER:-z,relro,-z,now)
# _FORTIFY_SOURCE only works with optimisation (glibc warns without it, an
# error under PAINTER_WERROR). Under the sanitizers it is left out: the
# checked libc functions it calls are not all intercepted, so it would hide
# overflows from AddressSanitizer.
if(NOT PAINTER_SANITIZE AND NOT PAINTER_FUZZ)
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endif()
