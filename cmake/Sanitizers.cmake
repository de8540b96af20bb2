# ZAVI_SANITIZE=address builds everything with ASan+UBSan, =thread with TSan.
if(ZAVI_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(ZAVI_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ZAVI_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ZAVI_SANITIZE must be empty, address or thread")
endif()

# Fuzz builds instrument all our code for coverage and check it with ASan and
# UBSan, so the targets explore the library, not only their own sources.
if(ZAVI_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
