# What `cmake --install` puts under the prefix, and the Debian package made of it
# (`cpack --preset release` after a release build).
include(GNUInstallDirs)

install(TARGETS hfatom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/hfatom.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples FILES_MATCHING PATTERN "*.in")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hfatom)
set(CPACK_PACKAGE_VENDOR "The hfatom developers")
set(CPACK_PACKAGE_CONTACT "The hfatom developers <hfatom-maintainers@lists.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "closed-shell Hartree-Fock ground states of atoms and ions")
set(CPACK_PACKAGE_DESCRIPTION
    "hfatom computes the non-relativistic Hartree-Fock ground state of a closed-shell atom or ion
on a logarithmic radial grid of 1000 points: first self-consistently in a local Hartree
potential, then shell by shell with the full exchange. It reports the orbital energies, the
total energy and the overlaps of the final orbitals, and tabulates every radial orbital.
The Python package hfatom reads its files, derives properties (kinetic energy, virial ratio,
radial expectation values, density at the nucleus), exports JSON, QCSchema and CSV, and runs
series of atoms and ions.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # hfatom_<version>_<arch>.deb
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, worked out by dpkg-shlibdeps; the Python tools need these.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= 3.11), python3-numpy")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnuplot-nox")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-qcelemental")
include(CPack)
