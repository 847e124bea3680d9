target_sources(qel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessBackend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessTestApi.cpp)
