# Warnings, API level pins and sanitizers shared by every target of the project.

set(TQ_WARNINGS -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wsuggest-override -Wformat=2)

# Nothing newer than Debian 12's libraries may slip in.
set(TQ_API_PINS
  GLIB_VERSION_MIN_REQUIRED=GLIB_VERSION_2_74
  GLIB_VERSION_MAX_ALLOWED=GLIB_VERSION_2_74
  GDK_VERSION_MIN_REQUIRED=GDK_VERSION_4_8
  GDK_VERSION_MAX_ALLOWED=GDK_VERSION_4_8
  ADW_VERSION_MIN_REQUIRED=ADW_VERSION_1_2
  ADW_VERSION_MAX_ALLOWED=ADW_VERSION_1_2)

if(TQ_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(tq_apply_settings target)
  target_compile_options(${target} PRIVATE ${TQ_WARNINGS})
  target_compile_definitions(${target} PRIVATE ${TQ_API_PINS})
endfunction()
