# Writes a C++ file that holds each data file's text as a constant, so that the programs carry their defaults
# and need no file beside them. Run as: cmake -DOUTPUT=file.cpp -DINPUTS="name=path;..." -P embed.cmake
set(text "// Made by engine/data/embed.cmake from the files in engine/data; edit those.\n")
foreach(entry ${INPUTS})
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" content)
  string(APPEND text "extern const char* const ${name};\nconst char* const ${name} = R\"data(${content})data\";\n")
endforeach()
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
