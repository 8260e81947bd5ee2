include(${CUR}/photos.cmake OPTIONAL)
