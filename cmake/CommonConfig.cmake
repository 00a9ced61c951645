# Settings every target of the project shares, in one INTERFACE target.
add_library(rewordix_common INTERFACE)
target_compile_features(rewordix_common INTERFACE cxx_std_20)
target_compile_definitions(rewordix_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS
    REWORDIX_VERSION="${PROJECT_VERSION}"
)
target_compile_options(rewordix_common INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wformat=2 -Wimplicit-fallthrough
)
set(CMAKE_AUTOMOC ON)
