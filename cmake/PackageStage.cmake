# Run by CPack on the staging tree, before it is packed into the .deb: what
# Debian's policy asks of a package beyond what the install rules put in
# place. gzip -n keeps the name and time out, so that the same sources give
# the same package.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${usr}/share/doc/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${doc})
file(COPY_FILE ${CPACK_TARNWICK_PACKAGING_DIR}/copyright ${doc}/copyright)
file(COPY_FILE ${CPACK_TARNWICK_PACKAGING_DIR}/changelog ${doc}/changelog.Debian)
foreach(file IN ITEMS ${doc}/changelog.Debian ${usr}/share/man/man1/tarnwick.1)
    execute_process(COMMAND gzip -n -9 -f ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(CHMOD ${doc}/copyright ${doc}/changelog.Debian.gz ${usr}/share/man/man1/tarnwick.1.gz
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# lintian's advice that does not apply to a package outside Debian's archive.
file(MAKE_DIRECTORY ${usr}/share/lintian/overrides)
file(COPY_FILE ${CPACK_TARNWICK_PACKAGING_DIR}/lintian-overrides
     ${usr}/share/lintian/overrides/${CPACK_PACKAGE_NAME})
