# Photos, webcam and attached documents of the registry card.
list(APPEND CORE_SOURCES
    ${CUR}/Attachments.h ${CUR}/Attachments.cpp)
list(APPEND UI_SOURCES
    ${CUR}/Camera.h
    ${CUR}/DesktopCamera.h
    ${CUR}/PhotoView.h ${CUR}/PhotoView.cpp
    ${CUR}/PhotoFiles.h ${CUR}/PhotoFiles.cpp
    ${CUR}/PhotoActions.h ${CUR}/PhotoActions.cpp
    ${CUR}/TiratoriPhoto.cpp
    ${CUR}/Zoom.h ${CUR}/Zoom.cpp ${CUR}/Zoom.ui
    ${CUR}/WebCam.h ${CUR}/WebCam.cpp ${CUR}/WebCam.ui
    ${CUR}/AllegaCartella.h ${CUR}/AllegaCartella.cpp ${CUR}/AllegaCartella.ui)
list(APPEND UI_RESOURCE_FILES
    registry/art/cam_webcam.svg
    registry/art/cam_fotocamera.svg
    registry/art/allega_gomma.svg
    registry/art/allega_istruzioni.svg)
# The camera through Qt Multimedia where the build has it; otherwise the webcam window says it is missing.
if(TARGET Qt6::Multimedia)
    list(APPEND UI_SOURCES ${CUR}/DesktopCamera.cpp)
else()
    list(APPEND UI_SOURCES ${CUR}/DesktopCameraNone.cpp)
endif()
