# One place for the build settings every target of the suite shares.
add_library(zuv_build_settings INTERFACE)
target_compile_features(zuv_build_settings INTERFACE cxx_std_20)
target_compile_options(zuv_build_settings INTERFACE -Wall -Wextra)
target_compile_definitions(zuv_build_settings INTERFACE
  QT_NO_FOREACH
  QT_NO_URL_CAST_FROM_STRING
)
if(ZUV_SANITIZE)
  target_compile_options(zuv_build_settings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zuv_build_settings INTERFACE -fsanitize=address,undefined)
endif()
