target_sources(qel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QelVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelWideText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelWideFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelFormatSpec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelStringData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelSync.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelDriveType.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelFSRef.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelFind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QelHeap.cpp)
