# 32-bit Windows: the width Velkor ships in, beside the agent's 32-bit libraries.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
