target_sources(qel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ImageControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageControlPaint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageObjects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Layer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureOps.cpp)
