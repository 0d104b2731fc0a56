# programs: phondeck's export of the demo handset and of a full one
# (tests/programs/full_handset.json on telvane-handset), read by Radicale,
# khard, khal, python3-vobject, python3-icalendar and Python's mailbox and XML
# modules, run as black boxes by Debian's python3. Label "programs".
if(TARGET phondeck AND TARGET telvane-handset)
  add_test(NAME programs
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/programs_test.py
      --phondeck $<TARGET_FILE:phondeck> --handset $<TARGET_FILE:telvane-handset>
      --state ${CMAKE_CURRENT_LIST_DIR}/full_handset.json)
  set_tests_properties(programs PROPERTIES LABELS programs TIMEOUT 150)
endif()
