# Photos, webcam and attached documents of the registry card.
list(APPEND CORE_SOURCES
    ${CUR}/Attachments.h ${CUR}/Attachments.cpp)
list(APPEND UI_SOURCES
    ${CUR}/Camera.h
    ${CUR}/DesktopCamera.h ${CUR}/DesktopCamera.cpp ${CUR}/CameraBackend.h
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
# The webcam's capture back end over Qt Multimedia (CameraModule.cpp): a module loaded on first use where
# CARVENNA_CAMERA_MODULE is on, else built into the program; none where the build has no Qt Multimedia
# (the webcam window then says it is missing). The top CMakeLists.txt makes the choice.
set(CAMERA_MODULE_SOURCES ${CUR}/CameraBackend.h ${CUR}/CameraModule.cpp)
set(CAMERA_LOAD_SOURCES ${CUR}/CameraBackendLoad.cpp)
set(CAMERA_LINKED_SOURCES ${CUR}/CameraBackendLinked.cpp)
set(CAMERA_NONE_SOURCES ${CUR}/CameraBackendNone.cpp)
