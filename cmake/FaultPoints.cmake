# Writes OUTPUT: every fault point named in the platform stand-ins' sources (SOURCES, a list), one
# quoted name and a comma per line, sorted, for a C++ array. Run by the build, so that a new point is
# swept by the fault tests without touching them.
set(points)
foreach(source IN LISTS SOURCES)
  file(STRINGS "${source}" lines REGEX "\"(rtl|dd|d3d|rm|ds|os)\\.[A-Za-z0-9_.]+\"")
  foreach(line IN LISTS lines)
    string(REGEX MATCHALL "\"(rtl|dd|d3d|rm|ds|os)\\.[A-Za-z0-9_.]+\"" names "${line}")
    list(APPEND points ${names})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES points)
list(SORT points)
list(JOIN points ",\n" text)
file(WRITE "${OUTPUT}.new" "${text},\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
