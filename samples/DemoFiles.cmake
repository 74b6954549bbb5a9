# Writes the demo folder that `make run` scans: plain text files, each made
# to be recognised by one definition of samples/sample.list, one of each
# kind, plus files that are checked but clean and one that is not checked.
# Run as: cmake -DDEMO_FOLDER=<folder> -P DemoFiles.cmake
if(NOT DEMO_FOLDER)
    message(FATAL_ERROR "DEMO_FOLDER is not set")
endif()

# Kind 0: matched by its fingerprint (MD5 and size), so not one byte of it may
# change without the list changing too.
file(WRITE ${DEMO_FOLDER}/spyware-fingerprint-demo.txt
     "Brenvald demo file: recognised by its fingerprint.\n")
# Kind 1: matched by the hex pattern of the words BRENVALD-PATTERN-DEMO.
file(WRITE ${DEMO_FOLDER}/trojan-pattern-demo.txt
     "Brenvald demo file: the words BRENVALD-PATTERN-DEMO inside it are its hex pattern.\n")
# Kind 2: matched by the four bytes "BVX!" at offset 5.
file(WRITE ${DEMO_FOLDER}/worm-offset-demo.txt
     "Demo BVX! Brenvald demo file: recognised by the four bytes at offset 5.\n")
# Checked (its name holds "vir") but matched by nothing.
file(WRITE ${DEMO_FOLDER}/virus-free-notes.txt
     "Brenvald demo file: checked for its name, and clean.\n")
# Not checked at all: neither its name nor its extension selects it.
file(WRITE ${DEMO_FOLDER}/readme.txt
     "The files in this folder are harmless text made by the build, for bvxtool scan.\n")
